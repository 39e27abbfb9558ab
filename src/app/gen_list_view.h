#pragma once
// The "after" list: a report-style list view of three columns with a row
// glyph, whole rows selected, several at once, the selection shown even
// without the focus.

#include <QTreeWidget>

#include "app/list_input.h"

namespace kararisu {

class GenListView : public ReportingList<QTreeWidget> {
  public:
    explicit GenListView(QWidget* parent);
    // The lowest-numbered selected row, or -1.
    int lowestSelectedRow() const;
};

}  // namespace kararisu
