"""The command line of the real program, run with no display: usage and exit
statuses, the headless export read back with openpyxl and python3-icalendar, an
import with its dry run and undo compared byte for byte, and the commands beside
a running window, undo of settings writes made by the program's own core
(SETTINGS_WRITE), and a sync against a Radicale started here.
Usage: test_cli.py PROGRAM MANPAGE SETTINGS_WRITE"""
import fcntl
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

PROGRAM, MANPAGE, SETTINGS_WRITE = sys.argv[1], sys.argv[2], sys.argv[3]
HERE = os.path.dirname(os.path.abspath(__file__))
READERS = os.path.join(os.path.dirname(HERE), "export")

USAGE = """사용법: tunedesk [--daybrook-dir DIR]
        tunedesk export --from Y-M --to Y-M [--holidays] [--data-folder DIR] FILE
        tunedesk import [--from Y-M --to Y-M] [--dry-run] [--data-folder DIR] FILE.ics
        tunedesk undo [--list] [--data-folder DIR]
        tunedesk sync [--url URL] [--user NAME] [--password-file FILE] [--data-folder DIR] [--dry-run]
        tunedesk --help | --version
"""
DONE_EXPORT = "Daybrook 데이타 변환이 완료 되었습니다.\n"
DONE_RUN = "Daybrook 데이타 처리가 완료 되었습니다.\n"
# What the import of ICS leaves out, said before it runs (and under the dry run's summary).
NOTES = "파일에서 일정 2개를 읽었습니다.\n가져오지 않는 것: 할 일 1개\n"
ICS = ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//test//EN\r\n"
       "BEGIN:VEVENT\r\nUID:a@test\r\nDTSTAMP:20040101T000000Z\r\nDTSTART;VALUE=DATE:20040305\r\nSUMMARY:Team\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:b@test\r\nDTSTAMP:20040101T000000Z\r\nDTSTART;VALUE=DATE:20040307\r\nSUMMARY:새 일정\r\nEND:VEVENT\r\n"
       "BEGIN:VTODO\r\nUID:c@test\r\nDTSTAMP:20040101T000000Z\r\nSUMMARY:할 일\r\nEND:VTODO\r\n"
       "END:VCALENDAR\r\n")


class Cli(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.tmp)
        for d in ("config/Daybrook", "state", "runtime", "daybrook", "data", "other"):
            os.makedirs(self.path(d))
        os.chmod(self.path("runtime"), 0o700)
        self.env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.env.update(HOME=self.tmp, LC_ALL="C.UTF-8", XDG_CONFIG_HOME=self.path("config"),
                        XDG_STATE_HOME=self.path("state"), XDG_RUNTIME_DIR=self.path("runtime"),
                        TUNEDESK_DAYBROOK_DIR=self.path("daybrook"))
        # Daybrook's own setting points at the data folder.
        with open(self.path("config/Daybrook/Daybrook.conf"), "w") as f:
            f.write(f"[Options]\nDataSaveDir={self.path('data')}/\n")
        self.day("data", 2004, 3, 5, "[Old]\r\n")
        self.day("data", 2004, 3, 6, "a\r\n\r\nb\r\n", done="끝난 일\r\n")
        self.day("other", 2004, 3, 9, "[Elsewhere]\r\n")

    def path(self, *parts):
        return os.path.join(self.tmp, *parts)

    def day(self, folder, y, m, d, text, done=None):
        month = self.path(folder, f"{y}_{m}")
        os.makedirs(month, exist_ok=True)
        with open(os.path.join(month, f"{y}_{m}.{d}"), "wb") as f:
            f.write(text.encode("cp949"))
        if done is not None:
            with open(os.path.join(month, f"{y}_{m}.{d}_D"), "wb") as f:
                f.write(done.encode("cp949"))

    def snapshot(self, folder):
        files = {}
        for root, dirs, names in os.walk(self.path(folder)):
            for n in dirs + names:
                p = os.path.join(root, n)
                files[os.path.relpath(p, self.path(folder))] = self.read(p) if os.path.isfile(p) else None
        return files

    @staticmethod
    def read(path):
        with open(path, "rb") as f:
            return f.read()

    def run_program(self, *args, env=None, program=PROGRAM):
        p = subprocess.run([program, *args], env=env or self.env, cwd=self.tmp, capture_output=True, timeout=120)
        return p.returncode, p.stdout.decode(), p.stderr.decode()

    def read_back(self, script, path):
        return subprocess.run(["/usr/bin/python3", os.path.join(READERS, script), path], check=True,
                              capture_output=True, text=True).stdout.splitlines()

    def test_usage_and_exit_statuses(self):
        rows = [
            (["--version"], 0, "튠데스크 (Tunedesk) 1.1.0.55\n", ""),
            (["--bogus"], 2, "", "tunedesk: 알 수 없는 옵션: --bogus\n" + USAGE),
            (["frobnicate"], 2, "", "tunedesk: 알 수 없는 명령: frobnicate\n" + USAGE),
            (["--list"], 2, "", "tunedesk: 명령 없이 쓸 수 없는 옵션: --list\n" + USAGE),
            (["undo", "--dry-run"], 2, "", "tunedesk: undo 명령에 쓸 수 없는 옵션: --dry-run\n" + USAGE),
            (["export", "--from", "2004-01", "x.xlsx"], 2, "", "tunedesk: --from과 --to가 함께 있어야 합니다\n" + USAGE),
            (["export", "--from", "2004-01", "--to", "2004-13x", "x.xlsx"], 2, "",
             "tunedesk: --to의 달은 년-월 꼴입니다 (예: 2004-01): 2004-13x\n" + USAGE),
            (["export", "--from", "2004-03", "--to", "2004-02", "x.xlsx"], 2, "", "날짜 설정 오류입니다.\n"),
            (["export", "--from", "2004-03", "--to", "2004-03", "--holidays", "x.xlsx"], 2, "",
             "tunedesk: --holidays는 .ics 파일에만 씁니다\n" + USAGE),
            (["import"], 2, "", "tunedesk: import 명령에 파일 이름이 없습니다\n" + USAGE),
            ([], 1, "", "tunedesk: 화면(DISPLAY)이 없어 설정 창을 열 수 없습니다. "
                        "화면 없이 쓰는 명령은 'tunedesk --help'에 있습니다.\n"),
            (["--daybrook-dir", self.path("missing"), "undo", "--list"], 1, "",
             f"tunedesk: Daybrook 폴더가 없습니다: {self.path('missing')}\n"),
        ]
        for args, status, out, err in rows:
            with self.subTest(args=args):
                self.assertEqual(self.run_program(*args), (status, out, err))
        # A display that is named but not there.
        self.assertEqual(self.run_program(env=dict(self.env, DISPLAY=":97")),
                         (1, "", "tunedesk: 화면 :97에 연결할 수 없어 설정 창을 열 수 없습니다. "
                                 "화면 없이 쓰는 명령은 'tunedesk --help'에 있습니다.\n"))
        self.assertFalse(os.path.exists(self.path("x.xlsx")))
        # The help names every option, and so does the manual page.
        status, out, err = self.run_program("--help")
        self.assertEqual((status, err), (0, ""))
        self.assertTrue(out.startswith(USAGE))
        manual = self.read(MANPAGE).decode().replace("\\-", "-")
        options = set(re.findall(r"(?<![\w-])--?[a-z][a-z-]*", out))
        self.assertIn("--data-folder", options)
        for option in sorted(options):
            with self.subTest(option=option):
                self.assertIn(option, manual)
        for command in ("export", "import", "undo", "sync", "TunedeskSync", "TUNEDESK_DAYBROOK_DIR"):
            self.assertIn(command, manual)

    def test_export_workbook_and_calendar(self):
        with open(self.path("daybrook/Holiday.dat"), "wb") as f:
            f.write("[Holiday Etc]\r\nContents No=1\r\n[Holiday Day]\r\nHoli0=3/1(S)[삼일절]\r\n".encode("cp949"))
        target = self.path("out.xlsx")
        self.assertEqual(self.run_program("export", "--from", "2004-03", "--to", "2004-03", "out.xls"),
                         (0, f"2일을 내보냄: {target}\n", DONE_EXPORT + target + "\n"))
        cells = [line.split(" ")[:2] for line in self.read_back("read_workbook.py", target)[1:]]
        self.assertEqual([c for c in cells if c[0][0] in "ABC" and c[0][1:] >= "3"], [
            ["A3", '"2004/3/5(Fri)"'], ["B3", '"[Old]"'],
            ["A4", '"2004/3/6(Sat)"'], ["B4", '"a\\n\\nb"'], ["C4", '"끝난'],
        ])
        # --data-folder for one command, the calendar with the holidays of Daybrook's folder.
        target = self.path("out.ics")
        self.assertEqual(self.run_program("export", "--data-folder", self.path("other"), "--from", "2004-03",
                                          "--to", "2004-03", "--holidays", "out.ics"),
                         (0, f"1일을 내보냄: {target}\n", DONE_EXPORT + target + "\n"))
        events = self.read_back("read_ics.py", target)
        self.assertEqual(len(events), 2)
        self.assertIn('"[Elsewhere]"', events[0])
        self.assertIn('"삼일절"', events[1])
        # --daybrook-dir before the environment; without DataSaveDir the day files are there too.
        env = dict(self.env, XDG_CONFIG_HOME=self.path("runtime"))
        self.assertEqual(self.run_program("--daybrook-dir", self.path("other"), "export", "--from", "2004-03",
                                          "--to", "2004-03", "o.ics", env=env),
                         (0, f"1일을 내보냄: {self.path('o.ics')}\n", DONE_EXPORT + self.path("o.ics") + "\n"))
        # A folder the file cannot be saved in: failure, and why.
        status, out, err = self.run_program("export", "--from", "2004-03", "--to", "2004-03", "nowhere/x.ics")
        self.assertEqual((status, out), (1, ""))
        self.assertTrue(err.startswith("변환한 자료를 파일에 저장하지 못했습니다.\n" + self.path("nowhere/x.ics") + "\n"), err)

    def test_import_dry_run_import_and_undo(self):
        with open(self.path("in.ics"), "w", newline="") as f:
            f.write(ICS)
        before = self.snapshot("data")
        preview = "2004-03-05\t바뀜\t[Team] ↵ [Old]\n2004-03-07\t새로 만듦\t[새 일정]\n"
        self.assertEqual(self.run_program("import", "--from", "2004-03", "--to", "2004-03", "--dry-run", "in.ics"),
                         (0, preview, "새로 만듦 1일, 바뀜 1일, 지움 0일, 그대로 0일\n" + NOTES))
        self.assertEqual(self.snapshot("data"), before)
        self.assertFalse(os.path.exists(self.path("state/tunedesk")))

        data = self.path("data") + "/"
        self.assertEqual(self.run_program("import", "in.ics"), (0, f"2일의 날짜 파일을 바꿈: {data}\n", NOTES + DONE_RUN))
        after = self.snapshot("data")
        self.assertEqual(after["2004_3/2004_3.5"], b"[Team]\n[Old]\r\n")
        self.assertEqual(after["2004_3/2004_3.7"], "[새 일정]\r\n".encode("cp949"))
        status, out, err = self.run_program("undo", "--list")
        self.assertEqual((status, err), (0, ""))
        self.assertRegex(out, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\t실행\tICS 가져오기\t2000-01-01\.\.\d{4}-12-31\tin\.ics\t" + data + "\n$")

        # The journal belongs to the data folder it was made for: another folder has
        # nothing to undo, and the journal is kept for its own.
        self.assertEqual(self.run_program("undo", "--data-folder", self.path("other")), (1, "", "되돌릴 실행이 없습니다.\n"))
        self.assertEqual(self.snapshot("data"), after)
        self.assertEqual(self.run_program("undo", "--list")[1], out)

    def test_undo_restores_bytes_and_refuses_a_bad_file(self):
        with open(self.path("in.ics"), "w", newline="") as f:
            f.write(ICS)
        before = self.snapshot("data")
        self.assertEqual(self.run_program("import", "in.ics")[0], 0)
        status, out, err = self.run_program("undo")
        self.assertEqual((status, out), (0, f"되돌림: ICS 가져오기\t2000-01-01..{time.gmtime().tm_year + 10}-12-31\tin.ics\t2일 복원\n"))
        self.assertEqual(self.snapshot("data"), before)
        self.assertEqual(self.run_program("undo"), (1, "", "되돌릴 실행이 없습니다.\n"))
        # A file that is not iCalendar: refused, nothing written, no journal.
        with open(self.path("bad.ics"), "w") as f:
            f.write("not a calendar\n")
        status, out, err = self.run_program("import", "bad.ics")
        self.assertEqual((status, out), (1, ""))
        self.assertIn(self.path("bad.ics"), err)
        self.assertEqual(self.snapshot("data"), before)
        self.assertEqual(self.run_program("undo", "--list"), (0, "", "되돌릴 실행이 없습니다.\n"))

    def settings_write(self, kind):
        subprocess.run([SETTINGS_WRITE, kind], env=self.env, check=True, timeout=60)

    def test_undo_takes_runs_and_settings_writes_newest_first(self):
        # A position reset, an import, a configuration reset (which drops DataSaveDir too):
        # undo takes them back newest first, each through its own journal.
        store = self.path("config/Daybrook/Daybrook.conf")
        with open(self.path("in.ics"), "w", newline="") as f:
            f.write(ICS)
        original, data = self.read(store), self.snapshot("data")
        self.settings_write("position")
        positioned = self.read(store)
        self.assertEqual(self.run_program("import", "in.ics")[0], 0)
        imported = self.snapshot("data")
        self.settings_write("configuration")
        self.assertNotIn(b"DataSaveDir", self.read(store))
        status, out, err = self.run_program("undo", "--list")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual([line.split("\t")[1:3] for line in out.splitlines()],
                         [["설정", "설정 초기화"], ["실행", "ICS 가져오기"], ["설정", "위치 초기화"]])

        stamp = r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d"
        for kind, store_after, data_after in (("설정 초기화", positioned, imported), (None, positioned, data),
                                              ("위치 초기화", original, data)):
            status, out, err = self.run_program("undo")
            self.assertEqual(status, 0, err)
            if kind:
                self.assertRegex(out, f"^되돌림: 설정\t{kind}\t{stamp}\t파일 1개 복원\n$")
                self.assertRegex(err, f"^{kind} \\({stamp}\\)을\\(를\\) 되돌렸습니다. 파일 1개를 이전 상태로 돌려놓았습니다.\n{store}\n$")
            else:
                self.assertTrue(out.startswith("되돌림: ICS 가져오기\t"), out)
            self.assertEqual((self.read(store), self.snapshot("data")), (store_after, data_after))
        self.assertEqual(self.run_program("undo"), (1, "", "되돌릴 실행이 없습니다.\n"))

    def test_beside_a_window_and_a_held_journal(self):
        env = dict(self.env, QT_QPA_PLATFORM="offscreen")
        window = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(window.wait)
        self.addCleanup(window.kill)
        socket = self.path("runtime/tunedesk.socket")
        for _ in range(200):
            if os.path.exists(socket):
                break
            time.sleep(0.05)
        self.assertTrue(os.path.exists(socket))
        with open(self.path("in.ics"), "w", newline="") as f:
            f.write(ICS)
        before = self.snapshot("data")
        # Commands write beside an idle window; a second start brings it forward and ends.
        self.assertEqual(self.run_program("import", "in.ics")[0], 0)
        self.assertEqual(self.run_program("undo")[0], 0)
        self.assertEqual(self.snapshot("data"), before)
        # Settings are not undone behind the window's back: its OK would write them over again.
        self.settings_write("position")
        store = self.read(self.path("config/Daybrook/Daybrook.conf"))
        self.assertEqual(self.run_program("undo"), (1, "", "Tunedesk 창이 열려 있어 설정을 되돌리지 않았습니다. "
                                                           "창의 기타설정에서 \"설정 되돌리기\" 단추를 누르십시오.\n"))
        self.assertEqual(self.read(self.path("config/Daybrook/Daybrook.conf")), store)
        self.assertEqual(self.run_program(env=env), (0, "", "tunedesk: 이미 실행 중인 Tunedesk 창을 앞으로 가져왔습니다.\n"))
        self.assertIsNone(window.poll())
        window.send_signal(signal.SIGTERM)

        # A run or undo holding the journal's lock keeps both commands out, as it keeps the window's.
        journal = self.path("state/tunedesk/journal")
        with open(os.path.join(journal, "lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            lock.write("4242\n")
            lock.flush()
            busy = (f"다른 실행이나 되돌리기가 진행 중이라 아무것도 바꾸지 않았습니다.\n"
                    f"{journal}: in use by another copy of Tunedesk (process 4242)\n")
            self.assertEqual(self.run_program("import", "in.ics"), (1, "", NOTES + busy))
            self.assertEqual(self.run_program("undo"), (1, "", busy))
        self.assertEqual(self.snapshot("data"), before)

    def radicale(self):
        """A Radicale of the test's own on a free port; its base URL."""
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        with open(self.path("users"), "w") as f:
            f.write("daybrook:s3cret\n")
        with open(self.path("radicale.conf"), "w") as f:
            f.write(f"[server]\nhosts = 127.0.0.1:{port}\n[auth]\ntype = htpasswd\nhtpasswd_filename = {self.path('users')}\n"
                    f"htpasswd_encryption = plain\n[storage]\nfilesystem_folder = {self.path('dav')}\n[logging]\nlevel = warning\n")
        server = subprocess.Popen(["/usr/bin/python3", "-m", "radicale", "--config", self.path("radicale.conf")],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(server.wait)
        self.addCleanup(server.kill)
        for _ in range(200):
            with socket.socket() as s:
                if s.connect_ex(("127.0.0.1", port)) == 0:
                    return f"http://127.0.0.1:{port}/"
            time.sleep(0.05)
        self.fail("radicale did not start")

    def test_sync(self):
        url = self.radicale()
        password = self.path("password")
        with open(password, "w") as f:
            f.write("s3cret\n")
        os.chmod(password, 0o644)
        before = self.snapshot("data")
        account = ("--url", url, "--user", "daybrook", "--password-file", password)
        self.assertEqual(self.run_program("sync", "--url", "ftp://x/"),
                         (2, "", "tunedesk: URL은 http:// 나 https:// 로 시작해야 합니다: ftp://x/\n" + USAGE))
        self.assertEqual(self.run_program("sync", "notes.ics"), (2, "", "tunedesk: sync 명령에 인자가 너무 많습니다: notes.ics\n" + USAGE))
        self.assertEqual(self.run_program("sync"), (1, "", "동기화할 계정이 없습니다. 동기화 페이지에서 계정을 정하거나 --url을 주십시오.\n"))
        status, out, err = self.run_program("sync", *account)
        self.assertEqual((status, out), (1, ""))
        self.assertIn(password, err)  # readable by others: refused
        os.chmod(password, 0o600)
        # The dry run prints the plan and writes nothing anywhere: no day, no event, no state.
        calendar = f"{url}daybrook/daybrook/"
        self.assertEqual(self.run_program("sync", "--dry-run", *account),
                         (0, f"달력: {calendar} (새로 만듦)\n보낼 날 2, 받을 날 0, 여기서 지울 날 0, 서버에서 지울 날 0, 충돌 0, "
                             f"합칠 일정 0, 보관할 수 없는 날 0\n2004-03-05  보내기  [Old]\n2004-03-06  보내기  a\n", ""))
        self.assertEqual(self.snapshot("data"), before)
        self.assertFalse(os.path.exists(self.path("state/tunedesk")))
        self.assertFalse(os.path.exists(self.path("dav/collection-root/daybrook/daybrook")))
        done = "동기화를 마쳤습니다. 보냄 {}, 받음 0, 여기서 지움 0, 서버에서 지움 0, 충돌 0, 합친 일정 0.\n"
        result = "동기화함: " + calendar + "\t보냄 {}, 받음 0, 여기서 지움 0, 서버에서 지움 0, 충돌 0, 합친 일정 0\n"
        self.assertEqual(self.run_program("sync", *account), (0, result.format(2), done.format(2)))
        events = lambda: sorted(n for n in os.listdir(self.path("dav/collection-root/daybrook/daybrook")) if n.endswith(".ics"))
        self.assertEqual(events(), ["20040305-tunedesk.ics", "20040306-tunedesk.ics"])
        # The account saved by the page, its password from the file: nothing left to do.
        with open(self.path("config/Daybrook/Daybrook.conf"), "a") as f:
            f.write(f"\n[TunedeskSync]\nUrl={url}\nUser=daybrook\n")
        self.assertEqual(self.run_program("sync", "--password-file", password), (0, result.format(0), done.format(0)))
        self.assertEqual(self.snapshot("data"), before)
        # A run holding the journal's lock keeps the sync out.
        journal = self.path("state/tunedesk/journal")
        os.makedirs(journal, exist_ok=True)
        with open(os.path.join(journal, "lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            lock.write("4242\n")
            lock.flush()
            self.day("data", 2004, 3, 8, "[New]\r\n")
            self.assertEqual(self.run_program("sync", "--password-file", password),
                             (1, "", f"다른 실행이나 되돌리기가 진행 중이라 아무것도 바꾸지 않았습니다.\n"
                                     f"{journal}: in use by another copy of Tunedesk (process 4242)\n"))
        self.assertEqual(len(events()), 2)

    def test_language_file_errors_name_the_file(self):
        program = self.path("program")
        os.makedirs(program)
        shutil.copy(PROGRAM, program)
        with open(os.path.join(program, "tuneKorean.lng"), "wb") as f:
            f.write("1000 제목\r\n\r\n이 줄은 번호가 없다\r\n".encode("cp949"))
        env = dict(self.env, QT_QPA_PLATFORM="offscreen")
        del env["TUNEDESK_DAYBROOK_DIR"]
        lng = os.path.join(program, "tuneKorean.lng")
        self.assertEqual(self.run_program(env=env, program=os.path.join(program, "tunedesk")),
                         (1, "", f"tunedesk: 언어 파일의 3번째 줄이 '번호 글' 꼴이 아닙니다: {lng}\n"))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
