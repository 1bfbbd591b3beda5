// The hits of a search, held compactly: each folder's path once, each hit as its folder
// and its name, all as UTF-8 in one block of text. SearchHitModel shows them as the list
// List1, one full path per line, for a view that asks only for the lines on show.
#pragma once

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

class HitStore {
  public:
    void add(std::string_view folder, std::string_view name);
    // Adds every hit of `other`, in its order.
    void addAll(const HitStore& other);
    void clear();
    // Room for `hits` hits with `bytes` bytes of paths, ahead of their coming.
    void reserve(size_t hits, size_t bytes);

    size_t size() const { return hits_.size(); }
    bool empty() const { return hits_.empty(); }
    std::string_view folder(size_t i) const;
    std::string_view name(size_t i) const;
    std::string path(size_t i) const;
    // The bytes held, for the figures of a benchmark.
    size_t bytesHeld() const;

  private:
    struct Span {
        uint64_t offset;
        uint32_t size;
    };
    struct Hit {
        uint32_t folder;
        Span name;
    };
    std::string_view text(Span s) const { return std::string_view(text_).substr(s.offset, s.size); }
    Span put(std::string_view s);

    std::string text_;
    std::vector<Span> folders_;
    std::vector<Hit> hits_;
};

class SearchHitModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Adds the hits at the end of the list; rows beyond what a list can count are left out.
    void append(const HitStore& hits);
    void clear();
    void reserve(size_t hits, size_t bytes) { store_.reserve(hits, bytes); }
    // The full path on line `row`; empty outside the list.
    QString path(int row) const;
    int count() const { return rowCount(); }
    const HitStore& store() const { return store_; }

  private:
    HitStore store_;
};

} // namespace tools
