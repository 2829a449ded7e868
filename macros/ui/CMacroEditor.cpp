#include "macros/ui/CMacroEditor.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "macros/MacroHelp.h"
#include "macros/MacroKeys.h"

namespace tarnvel::macros {

namespace {

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

constexpr int kTextRows = 6;
constexpr int kHelpColumns = 40;

}  // namespace

QString editorText(const QString& macroText) {
    QString shown;
    for (qsizetype i = 0; i < macroText.size(); ++i) {
        const QChar c = macroText[i];
        if (c == QLatin1Char('\r') && i + 1 < macroText.size() &&
            macroText[i + 1] == QLatin1Char('\n')) {
            shown += QLatin1Char('\n');
            ++i;
        } else if (c == QLatin1Char('\r')) {
            shown += QStringLiteral("<CR>");
        } else if (c == QLatin1Char('\n')) {
            shown += QStringLiteral("<LF>");
        } else {
            shown += c;
        }
    }
    return shown;
}

QString macroText(const QString& editorText) {
    return QString(editorText).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

CMacroEditor::CMacroEditor(MacroKeySet set, int key, const QString& label, const QString& text,
                           QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qText(kEditMacroTitle));
    auto* grid = new QGridLayout(this);
    auto* prompt = new QLabel(qText(macroLabelPrompt(set, key)), this);
    label_ = new QLineEdit(label, this);
    prompt->setBuddy(label_);
    text_ = new QPlainTextEdit(editorText(text), this);
    text_->setTabChangesFocus(true);
    text_->setMinimumHeight(text_->fontMetrics().lineSpacing() * kTextRows);
    help_ = new QListWidget(this);
    for (const std::string& line : macroHelpLines()) help_->addItem(qText(line));
    help_->setCurrentRow(0);
    help_->setMinimumWidth(help_->fontMetrics().averageCharWidth() * kHelpColumns);
    insert_ = new QPushButton(QStringLiteral("<<"), this);
    insert_->setAutoDefault(false);
    connect(insert_, &QPushButton::clicked, this, &CMacroEditor::insertSelectedTag);
    connect(help_, &QListWidget::itemDoubleClicked, this, &CMacroEditor::insertSelectedTag);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    grid->addWidget(prompt, 0, 0);
    grid->addWidget(label_, 1, 0);
    grid->addWidget(text_, 2, 0);
    grid->addWidget(insert_, 2, 1, Qt::AlignTop);
    grid->addWidget(help_, 0, 2, 3, 1);
    grid->addWidget(buttons, 3, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    text_->setFocus();
}

QString CMacroEditor::label() const {
    return label_->text();
}

QString CMacroEditor::text() const {
    return macroText(text_->toPlainText());
}

void CMacroEditor::insertSelectedTag() {
    const QListWidgetItem* item = help_->currentItem();
    if (item == nullptr) return;
    const auto insertion =
        helpLineInsertion(item->text().toStdString(), label_->text().toStdString());
    if (!insertion) return;  // a separator
    text_->insertPlainText(qText(insertion->tag));
    if (insertion->label) label_->setText(qText(*insertion->label));
    text_->setFocus();
}

}  // namespace tarnvel::macros
