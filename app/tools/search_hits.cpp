#include "app/tools/search_hits.h"

#include <limits>

namespace tools {

namespace {
constexpr size_t kMaxRows = static_cast<size_t>(std::numeric_limits<int>::max());
}

HitStore::Span HitStore::put(std::string_view s) {
    const Span span{text_.size(), static_cast<uint32_t>(s.size())};
    text_.append(s);
    return span;
}

void HitStore::add(std::string_view folder, std::string_view name) {
    if (folders_.empty() || text(folders_.back()) != folder) folders_.push_back(put(folder));
    hits_.push_back(Hit{static_cast<uint32_t>(folders_.size() - 1), put(name)});
}

void HitStore::addAll(const HitStore& other) {
    for (size_t i = 0; i < other.size(); ++i)
        add(other.folder(i), other.name(i));
}

void HitStore::clear() {
    text_.clear();
    folders_.clear();
    hits_.clear();
}

void HitStore::reserve(size_t hits, size_t bytes) {
    hits_.reserve(hits);
    text_.reserve(bytes);
}

std::string_view HitStore::folder(size_t i) const {
    return text(folders_[hits_[i].folder]);
}
std::string_view HitStore::name(size_t i) const {
    return text(hits_[i].name);
}

std::string HitStore::path(size_t i) const {
    std::string out(folder(i));
    out += name(i);
    return out;
}

size_t HitStore::bytesHeld() const {
    return text_.capacity() + folders_.capacity() * sizeof(Span) + hits_.capacity() * sizeof(Hit);
}

int SearchHitModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(store_.size());
}

QVariant SearchHitModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    if (!index.isValid() || index.row() >= rowCount()) return {};
    return path(index.row());
}

QString SearchHitModel::path(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    const std::string_view folder = store_.folder(static_cast<size_t>(row));
    const std::string_view name = store_.name(static_cast<size_t>(row));
    QString out = QString::fromUtf8(folder.data(), static_cast<qsizetype>(folder.size()));
    out += QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return out;
}

void SearchHitModel::append(const HitStore& hits) {
    const size_t room = kMaxRows - store_.size();
    const size_t n = std::min(hits.size(), room);
    if (n == 0) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(n) - 1);
    for (size_t i = 0; i < n; ++i)
        store_.add(hits.folder(i), hits.name(i));
    endInsertRows();
}

void SearchHitModel::clear() {
    beginResetModel();
    store_.clear();
    endResetModel();
}

} // namespace tools
