#include "learner/wordlistmodel.h"

#include "core/wordlist.h"

WordListModel::WordListModel(core::WordList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list), rows_(static_cast<int>(list.size())) {
    list_.SetObserver([this](core::WordList::Change change, std::size_t pos) {
        const int row = static_cast<int>(pos);
        switch (change) {
        case core::WordList::Change::Reset:
            beginResetModel();
            rows_ = static_cast<int>(list_.size());
            endResetModel();
            break;
        case core::WordList::Change::Appended:
            beginInsertRows({}, row, row);
            ++rows_;
            endInsertRows();
            break;
        case core::WordList::Change::Removed:
            beginRemoveRows({}, row, row);
            --rows_;
            endRemoveRows();
            break;
        }
    });
}

WordListModel::~WordListModel() {
    list_.SetObserver({});
}

int WordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant WordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ ||
        (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return QString::fromStdString(list_.Line(index.row()));
}
