#include "PasswordFile.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace td::sync {

bool PasswordFile::read(const QString& path, QString& password, QString& message, bool korean)
{
    // Opened once and judged by what was opened, so the file cannot be swapped between the check and the read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        message = korean ? QStringLiteral("암호 파일 %1을(를) 읽을 수 없습니다.").arg(path)
                         : QStringLiteral("The password file %1 cannot be read.").arg(path);
        return false;
    }
    if (!S_ISREG(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & (S_IRWXG | S_IRWXO))) {
        ::close(fd);
        message = korean ? QStringLiteral("암호 파일 %1은(는) 소유자만 읽을 수 있어야 합니다 (chmod 600).").arg(path)
                         : QStringLiteral("The password file %1 must be readable by its owner only (chmod 600).").arg(path);
        return false;
    }
    QFile f;
    f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray line = f.readLine(64 * 1024);
    password = QString::fromUtf8(line.endsWith('\n') ? line.chopped(line.endsWith("\r\n") ? 2 : 1) : line);
    return true;
}

} // namespace td::sync
