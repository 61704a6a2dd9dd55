#pragma once

#include <QAbstractListModel>
#include <QCollator>
#include <string>
#include <vector>

namespace vorlane {

// The names of a catalogue list (themes or appearances), kept sorted
// alphabetically without regard to case in the user's locale, each with a
// check box when the list shows them. A view shows it as it stands (the
// launcher's theme check list and appearance drop-down list); the ticks made
// in the view are stored here.
class CatalogueListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum class CheckBoxes { Hidden, Shown };

    explicit CatalogueListModel(CheckBoxes checkBoxes, QObject* parent = nullptr);

    // Inserts `name` (a folder name, as bytes) at its sorted place, unticked; returns that place.
    int AddSorted(const std::string& name);
    void Clear();

    int Count() const { return static_cast<int>(m_items.size()); }
    const std::string& Name(int row) const { return m_items.at(static_cast<std::size_t>(row)).name; }
    bool IsChecked(int row) const { return m_items.at(static_cast<std::size_t>(row)).checked; }
    void SetChecked(int row, bool checked);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Item {
        std::string name;
        QString shown;
        bool checked = false;
    };

    bool Before(const Item& a, const Item& b) const;
    bool IsItem(const QModelIndex& index) const;

    CheckBoxes m_checkBoxes;
    QCollator m_collator;
    std::vector<Item> m_items;
};

}  // namespace vorlane
