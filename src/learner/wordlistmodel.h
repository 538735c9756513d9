#pragma once
#include <QAbstractListModel>

namespace core {
class WordList;
}

/// Shows a core::WordList as a one-column list model; follows its changes through the
/// list's observer, which it takes over. The list must outlive the model.
class WordListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit WordListModel(core::WordList& list, QObject* parent = nullptr);
    ~WordListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    core::WordList& list_;
    // The list reports a change after making it; the model's row count follows between the
    // begin and end calls so that views always see a consistent count.
    int rows_ = 0;
};
