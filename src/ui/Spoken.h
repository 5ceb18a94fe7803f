#pragma once
// What a screen reader says for the controls that have no caption of their own on
// screen. Every such caption is declared here, once: its language key (the language
// file may replace the built-in text) and its built-in Korean and English texts.
// Controls with a caption on screen are named by it instead (a label's buddy, a
// button's text, the title of the frame they sit in).
#include <QString>

class QComboBox;
class QWidget;

namespace td::ui {

struct SpokenCaption {
    int key;
    const char16_t* korean;
    const char16_t* english;
    QString text(bool korean) const { return QString::fromUtf16(korean ? this->korean : english); }
};

namespace spoken {
// The window
inline constexpr SpokenCaption pages{1900, u"설정 페이지", u"Option pages"};
inline constexpr SpokenCaption nothingChosen{1901, u"선택 없음", u"nothing chosen"};
// Page 0
inline constexpr SpokenCaption preset{1902, u"미리 설정", u"Preset"};
inline constexpr SpokenCaption displayMode{1903, u"표시 방식", u"Display mode"};
// The colour samples, named by what they colour (LblColor 0..10)
inline constexpr SpokenCaption sampleColour[11] = {
    {1904, u"월 제목 색", u"Month title colour"},
    {1905, u"년도 색", u"Year colour"},
    {1906, u"영문 월 색", u"Month name colour"},
    {1907, u"일요일 색", u"Sunday colour"},
    {1908, u"평일 색", u"Weekday colour"},
    {1909, u"토요일 색", u"Saturday colour"},
    {1910, u"음력 색", u"Lunar date colour"},
    {1911, u"기념일 색", u"Anniversary colour"},
    {1912, u"배경 색", u"Background colour"},
    {1913, u"타이틀 색", u"Title colour"},
    {1914, u"메모 색", u"Memo colour"},
};
// Page 1
inline constexpr SpokenCaption todayFrameColour{1915, u"오늘 표시 틀 색", u"Today frame colour"};
// Page 2
inline constexpr SpokenCaption holidayMonth{1916, u"기념일 월", u"Holiday month"};
inline constexpr SpokenCaption holidayDay{1917, u"기념일 날짜", u"Holiday day"};
inline constexpr SpokenCaption nextDate{1918, u"다음 양력 날짜", u"Next solar date"};
inline constexpr SpokenCaption holidayList{1941, u"공휴일과 기념일 목록", u"Holidays and anniversaries"};
// Pages 3, 4 and 6: the range of a run or an export
inline constexpr SpokenCaption fromYear{1919, u"시작 연도", u"Start year"};
inline constexpr SpokenCaption fromMonth{1920, u"시작 달", u"Start month"};
inline constexpr SpokenCaption fromDay{1921, u"시작 날짜", u"Start day"};
inline constexpr SpokenCaption toYear{1922, u"끝 연도", u"End year"};
inline constexpr SpokenCaption toMonth{1923, u"끝 달", u"End month"};
inline constexpr SpokenCaption targetYear{1924, u"D-Day 연도", u"D-Day year"};
inline constexpr SpokenCaption targetMonth{1925, u"D-Day 달", u"D-Day month"};
inline constexpr SpokenCaption targetDay{1926, u"D-Day 날짜", u"D-Day day"};
inline constexpr SpokenCaption monthDay{1927, u"날짜기준 날짜", u"Day of the month"};
inline constexpr SpokenCaption occurrence{1928, u"요일기준 몇째 주", u"Week of the month"};
inline constexpr SpokenCaption weekday{1929, u"요일기준 요일", u"Weekday"};
inline constexpr SpokenCaption step{1930, u"며칠 간격", u"Step in days"};
inline constexpr SpokenCaption leftMarker{1931, u"앞 표시", u"Left marker"};
inline constexpr SpokenCaption planText{1932, u"일정 내용", u"Plan text"};
inline constexpr SpokenCaption rightMarker{1933, u"뒤 표시", u"Right marker"};
inline constexpr SpokenCaption progress{1934, u"진행 상황", u"Progress"};
// A run's Cancel, told apart from the window's own Cancel.
inline constexpr SpokenCaption stopRun{1942, u"작업 중지", u"Stop the run"};
// Page 5
inline constexpr SpokenCaption styleSwitch{1935, u"주간보기 모양 바꾸기", u"Switch the week view style"};
inline constexpr SpokenCaption firstStyle{1936, u"첫째 모양 편집 중", u"editing the first style"};
inline constexpr SpokenCaption secondStyle{1937, u"둘째 모양 편집 중", u"editing the second style"};
// Page 7
inline constexpr SpokenCaption todayMemoTime{1938, u"오늘 메모 표시 시간(초)", u"Today memo time (seconds)"};
inline constexpr SpokenCaption syncInterval{1939, u"자료 동기화 간격(분)", u"Sync interval (minutes)"};
// Page 8 (sync): the calendar list has no label of its own as a combo box's name
inline constexpr SpokenCaption syncCalendar{1811, u"동기화할 달력", u"Calendar to sync"};
// The about panel
inline constexpr SpokenCaption credits{1940, u"데이브룩 스토리", u"Daybrook story"};
} // namespace spoken

// The property that carries a spoken caption's language key: the language applier
// replaces the built-in name with the file's text for it.
inline constexpr const char* kNameKey = "tdNameKey";

// Names a control that has no caption on screen.
void speakAs(QWidget* control, const SpokenCaption& caption, bool korean);

// A combo box speaks its caption as its name and its chosen entry (or "nothing
// chosen") as its value, and tells a screen reader when an arrow key changes it.
// Only the window's own lists, named "Cmb..." before their entries are added.
void speakChoice(QComboBox* list, const SpokenCaption& caption, bool korean);

// The colour a stored colour value names, as a screen reader says it.
QString spokenColour(int red, int green, int blue, bool korean);

} // namespace td::ui
