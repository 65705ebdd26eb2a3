#pragma once
// One list of the synchronisation window as the view sees it: the core's
// list, column "Name" (with the check mark) and the hidden column "Chemin".
#include "sync/SyncList.h"

#include <QAbstractTableModel>

namespace filmarch {

class SyncListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SyncListModel(SyncList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The whole list changes between these two calls (one repaint).
    void beginChange() { beginResetModel(); }
    void endChange() { endResetModel(); }
    void setAllChecked(bool checked);

private:
    SyncList& list;
};

} // namespace filmarch
