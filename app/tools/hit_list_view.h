// The list of hits List1: one full path per line, one line selected at a time. A table
// view of one column without headers, since a table lays out rows of one height without
// keeping a position per row: a million lines are added and scrolled as quickly as ten.
#pragma once

#include <QTableView>

namespace tools {

class HitListView final : public QTableView {
    Q_OBJECT
  public:
    explicit HitListView(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;
};

} // namespace tools
