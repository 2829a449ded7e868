#include "logbook/ui/CLogWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "logbook/QsoText.h"

namespace tarnvel::logbook {

CLogWindow::CLogWindow(LogTextCodec codec, Actions actions, QWidget* parent)
    : QDialog(parent), codec_(std::move(codec)), actions_(std::move(actions)) {
    setWindowTitle(QString::fromLatin1(kLogWindowTitle));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, static_cast<int>(kLogWindowColumns.size()), this);
    QStringList headings;
    for (size_t i = 0; i < kLogWindowColumns.size(); ++i) {
        headings << QString::fromLatin1(
            kLogWindowColumns[i].heading.data(),
            static_cast<qsizetype>(kLogWindowColumns[i].heading.size()));
        table_->setColumnWidth(static_cast<int>(i), kLogWindowColumns[i].width);
    }
    table_->setHorizontalHeaderLabels(headings);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setShowGrid(true);
    table_->verticalHeader()->hide();
    layout->addWidget(table_);

    auto* row = new QHBoxLayout;
    auto* close = new QPushButton(QStringLiteral("Zamknij"), this);
    edit_ = new QPushButton(QStringLiteral("&Edytuj"), this);
    delete_ = new QPushButton(QStringLiteral("Usuń"), this);
    write_ = new QPushButton(QStringLiteral("Do  Pliku"), this);
    for (QPushButton* b : {close, edit_, delete_, write_}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(edit_, &QPushButton::clicked, this,
            [this] { afterChange(actions_.edit(selectedRecords())); });
    connect(delete_, &QPushButton::clicked, this,
            [this] { afterChange(actions_.remove(selectedRecords())); });
    connect(write_, &QPushButton::clicked, this, [this] { actions_.write(selectedRecords()); });
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this] { afterChange(actions_.edit(selectedRecords())); });
    resize(820, 360);
}

void CLogWindow::showRecords(std::vector<QsoRecord> records) {
    records_ = std::move(records);
    table_->clearSelection();
    table_->setRowCount(static_cast<int>(records_.size()));
    for (size_t r = 0; r < records_.size(); ++r) {
        const auto columns = logWindowColumns(records_[r]);
        for (size_t c = 0; c < columns.size(); ++c) {
            // The start and the frequency are written by the program, the rest by the operator.
            const QString text =
                c < 2 ? QString::fromStdString(columns[c]) : codec_.show(columns[c]);
            table_->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(text));
        }
    }
}

std::vector<QsoRecord> CLogWindow::selectedRecords() const {
    std::set<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.insert(index.row());
    std::vector<QsoRecord> selected;
    for (const int r : rows)
        if (r >= 0 && static_cast<size_t>(r) < records_.size()) selected.push_back(records_[r]);
    return selected;
}

void CLogWindow::afterChange(bool changed) {
    if (changed && actions_.reload) showRecords(actions_.reload());
}

}  // namespace tarnvel::logbook
