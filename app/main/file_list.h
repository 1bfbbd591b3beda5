// The hidden file list File1: the names (without folder) of one folder's files that match
// a pattern, sorted. Hidden files and folders are left out; the pattern ignores case.
#pragma once

#include "platform/name_order.h"

#include <QString>
#include <QStringList>

namespace browse {

class FileList {
  public:
    explicit FileList(QString pattern = QStringLiteral("*.swf")) : pattern_(std::move(pattern)) {}

    // Takes the folder and reads its names again (also when the folder is the same).
    // A folder that cannot be read lists nothing.
    void setPath(const QString& folder);
    const QString& path() const { return path_; }

    int count() const { return static_cast<int>(names_.size()); }
    // Entry i counting from 0; an empty name outside the list.
    QString entry(int i) const;
    const QStringList& names() const { return names_; }

  private:
    QString path_;
    QString pattern_;
    QStringList names_;
};

// The list's order: names compared without case, then with case so that the order is
// the same on every run.
using platform::fileListOrder;

} // namespace browse
