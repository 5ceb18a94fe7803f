#pragma once
#include <QString>

namespace td {

// Outcome of one file-system operation. A failure carries the path and why.
struct IoStatus {
    bool ok = true;
    QString path;
    QString reason;
    bool missing = false; // a failed read found nothing on the path

    static IoStatus success() { return {}; }
    static IoStatus failure(const QString& path, const QString& reason) { return {false, path, reason}; }
    static IoStatus absent(const QString& path, const QString& reason) { return {false, path, reason, true}; }
    explicit operator bool() const { return ok; }
};

} // namespace td
