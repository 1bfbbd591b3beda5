#include "file_list.h"

#include <QDir>

#include <algorithm>

namespace browse {

void FileList::setPath(const QString& folder) {
    path_ = folder;
    QDir dir(folder);
    // Without QDir::Hidden, dot files stay out; without QDir::CaseSensitive the pattern
    // matches ".SWF" as well as ".swf".
    names_ = dir.entryList({pattern_}, QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names_.begin(), names_.end(), fileListOrder);
}

QString FileList::entry(int i) const {
    if (i < 0 || i >= names_.size()) return {};
    return names_[i];
}

} // namespace browse
