#include "content/CatalogueListModel.h"

#include "content/DisplayString.h"

#include <algorithm>

namespace vorlane {

CatalogueListModel::CatalogueListModel(CheckBoxes checkBoxes, QObject* parent)
    : QAbstractListModel(parent), m_checkBoxes(checkBoxes)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

bool CatalogueListModel::Before(const Item& a, const Item& b) const
{
    const int order = m_collator.compare(a.shown, b.shown);
    // Names the collation deems equal ("Animaux", "animaux": two folders here) keep one order whatever the folder's.
    return order != 0 ? order < 0 : a.name < b.name;
}

int CatalogueListModel::AddSorted(const std::string& name)
{
    Item item{name, DisplayString(name), false};
    const auto place = std::upper_bound(m_items.begin(), m_items.end(), item,
                                        [this](const Item& a, const Item& b) { return Before(a, b); });
    const int row = static_cast<int>(place - m_items.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(place, std::move(item));
    endInsertRows();
    return row;
}

void CatalogueListModel::Clear()
{
    beginResetModel();
    m_items.clear();
    endResetModel();
}

void CatalogueListModel::SetChecked(int row, bool checked)
{
    Item& item = m_items.at(static_cast<std::size_t>(row));
    if (item.checked == checked)
        return;
    item.checked = checked;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

bool CatalogueListModel::IsItem(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < Count();
}

int CatalogueListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant CatalogueListModel::data(const QModelIndex& index, int role) const
{
    if (!IsItem(index))
        return {};
    const Item& item = m_items[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return item.shown;
    case Qt::CheckStateRole:
        if (m_checkBoxes == CheckBoxes::Shown)
            return static_cast<int>(item.checked ? Qt::Checked : Qt::Unchecked);
        return {};
    default:
        return {};
    }
}

bool CatalogueListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || m_checkBoxes != CheckBoxes::Shown ||
        !IsItem(index))
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags CatalogueListModel::flags(const QModelIndex& index) const
{
    if (!IsItem(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkBoxes == CheckBoxes::Shown)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

}  // namespace vorlane
