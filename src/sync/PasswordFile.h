#pragma once
#include <QString>

namespace td::sync {

// The password of a script's sync (`--password-file FILE`): the file's first
// line. Refused, with a message naming the file, unless it is a regular file
// of the user's own that nobody else may read or write.
struct PasswordFile {
    static bool read(const QString& path, QString& password, QString& message, bool korean);
};

} // namespace td::sync
