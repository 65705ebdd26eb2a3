#include "sync/ui/SyncListModel.h"

namespace filmarch {

SyncListModel::SyncListModel(SyncList& l, QObject* parent) : QAbstractTableModel(parent), list(l)
{
}

int SyncListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list.size());
}

int SyncListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant SyncListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SyncEntry& e = list[static_cast<std::size_t>(index.row())];
    if (index.column() == 1)
        return role == Qt::DisplayRole ? QVariant(e.folder) : QVariant();
    switch (role) {
    case Qt::DisplayRole: return e.name;
    case Qt::CheckStateRole: return e.checked ? Qt::Checked : Qt::Unchecked;
    // The folder column is hidden: the full path shows on hovering.
    case Qt::ToolTipRole: return e.fullPath();
    default: return {};
    }
}

bool SyncListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    list[static_cast<std::size_t>(index.row())].checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags SyncListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant SyncListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Chemin");
}

void SyncListModel::setAllChecked(bool checked)
{
    for (SyncEntry& e : list)
        e.checked = checked;
    if (!list.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

} // namespace filmarch
