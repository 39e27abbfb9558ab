#include "app/gen_list_view.h"

#include <QHeaderView>

namespace kararisu {

GenListView::GenListView(QWidget* parent) : ReportingList<QTreeWidget>(parent) {
    setColumnCount(3);
    setHeaderLabels(
        {QStringLiteral("ファイル名"), QStringLiteral("パレット名"), QStringLiteral("減色モード")});
    setColumnWidth(0, 130);
    setColumnWidth(1, 130);
    setColumnWidth(2, 89);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 20));
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // The selection stays as visible when the focus is elsewhere.
    QPalette pal = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setBrush(QPalette::Inactive, role, pal.brush(QPalette::Active, role));
    setPalette(pal);
}

int GenListView::lowestSelectedRow() const {
    for (int j = 0; j < topLevelItemCount(); ++j)
        if (topLevelItem(j)->isSelected()) return j;
    return -1;
}

}  // namespace kararisu
