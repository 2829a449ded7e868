#include "display/ui/DisplayDialogs.h"

#include "display/ui/DialogButtons.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include "display/FrequencyScale.h"
#include "display/PaletteFile.h"
#include "display/ui/StationText.h"

namespace tarnvel::display {

namespace {

QColor toQColor(Colour c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

Colour fromQColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

// The palette file used last, offered by the file dialogs of every later opening in this run.
std::string& paletteFileOfThisRun() {
    static std::string name = kInitialPaletteFileName;
    return name;
}

// The file filters are kept in their stored "text|pattern|...||" form; Qt wants "text;;text".
QString qtFilter(const char* filter) {
    const QStringList parts = QString::fromLatin1(filter).split('|', Qt::SkipEmptyParts);
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2) names << parts[i];
    return names.join(QStringLiteral(";;"));
}

}  // namespace

ColourButton::ColourButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setMinimumSize(28, 24);
}

void ColourButton::setColour(Colour colour) {
    colour_ = colour;
    update();
}

void ColourButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter p(this);
    const QRect inner = rect().adjusted(4, 4, -4, -4);
    p.fillRect(inner, toQColor(colour_));
    const QColor c = toQColor(colour_);
    p.setPen(c.lightness() > 128 ? Qt::black : Qt::white);
    p.drawText(inner, Qt::AlignCenter, text());
}

void GradientBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int x = 0; x < width(); ++x) {
        p.setPen(toQColor(gradientBarColour(editor_.preview(), x, width())));
        p.drawLine(x, 0, x, height() - 1);
    }
}

CPaletteDialog::CPaletteDialog(const PaletteAnchors& anchors, QWidget* parent)
    : QDialog(parent),
      editor_(anchors, paletteFileOfThisRun()),
      bar_(new GradientBar(editor_, this)) {
    setWindowTitle(QStringLiteral("Spektrum kolorów"));
    fitTitle(this);
    auto* layout = new QVBoxLayout(this);
    auto* swatchRow = new QHBoxLayout;
    for (int k = 0; k < kPaletteAnchorCount; ++k) {
        auto* b = new ColourButton(QString::number(k), this);
        swatches_[static_cast<size_t>(k)] = b;
        connect(b, &QPushButton::clicked, this, [this, k] { chooseSwatch(k); });
        swatchRow->addWidget(b);
    }
    layout->addLayout(swatchRow);
    layout->addWidget(new QLabel(QStringLiteral("Paleta"), this));
    layout->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    const auto add = [&](const QString& text, auto slot) {
        auto* b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    add(QStringLiteral("Domyślne"), [this] {
        editor_.restoreDefaults();
        refresh();
    });
    add(QStringLiteral("Ładuj"), [this] { load(); });
    add(QStringLiteral("Zapisz"), [this] { save(); });
    add(QStringLiteral("Zatwierdź"), [this] { Q_EMIT applied(editor_.apply()); });
    add(QStringLiteral("Zamknij"), [this] { reject(); });
    layout->addLayout(buttons);
    refresh();
}

CPaletteDialog::~CPaletteDialog() {
    paletteFileOfThisRun() = editor_.lastFileName();
}

void CPaletteDialog::refresh() {
    for (int k = 0; k < kPaletteAnchorCount; ++k)
        swatches_[static_cast<size_t>(k)]->setColour(swatchColour(editor_.preview(), k));
    bar_->update();
}

void CPaletteDialog::chooseSwatch(int k) {
    const QColor chosen =
        QColorDialog::getColor(toQColor(editor_.working()[static_cast<size_t>(k)]), this);
    if (!chosen.isValid()) return;
    editor_.setAnchor(k, fromQColor(chosen));
    refresh();
}

void CPaletteDialog::load() {
    const QString path = QFileDialog::getOpenFileName(
        this, QString::fromLatin1(kLoadPaletteTitle),
        QString::fromStdString(editor_.lastFileName()), qtFilter(kPaletteFileFilter));
    if (path.isEmpty()) return;
    const PaletteFileResult r = editor_.load(path.toStdString());
    if (!r.ok) QMessageBox::warning(this, QString(), QString::fromStdString(r.message));
    refresh();
}

void CPaletteDialog::save() {
    const QString path = QFileDialog::getSaveFileName(
        this, QString::fromLatin1(kSavePaletteTitle),
        QString::fromStdString(editor_.lastFileName()), qtFilter(kPaletteFileFilter));
    if (path.isEmpty()) return;
    const PaletteFileResult r = editor_.save(path.toStdString());
    if (!r.ok) QMessageBox::warning(this, QString(), QString::fromStdString(r.message));
}

CMarkersDialog::CMarkersDialog(const SpectrumMarkers& markers, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Znaczniki na spektrum"));
    fitTitle(this);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (int i = 0; i < kSpectrumMarkerCount; ++i) {
        auto* field = new QLineEdit(
            QString::fromStdString(SpectrumMarkers::format(markers.frequency(i))), this);
        fields_[static_cast<size_t>(i)] = field;
        form->addRow(QStringLiteral("Znacznik %1, Hz:").arg(i + 1), field);
    }
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("0 = znacznik wyłączony"), this));
    layout->addWidget(okCancelButtons(this));
}

SpectrumMarkers CMarkersDialog::markers() const {
    SpectrumMarkers m;
    for (int i = 0; i < kSpectrumMarkerCount; ++i)
        m.setFrequency(
            i, SpectrumMarkers::parse(fields_[static_cast<size_t>(i)]->text().toStdString()));
    return m;
}

CBandPagesDialog::CBandPagesDialog(const BandPages& pages, QWidget* parent)
    : QDialog(parent), pages_(pages) {
    setWindowTitle(QStringLiteral("Opcje Spektrum pasm"));
    fitTitle(this);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Bieżące"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Nazwa"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Częstotliwość, kHz"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Skala"), this), 0, 3);
    for (int i = 0; i < kBandPageCount; ++i) {
        const BandPage& page = pages.page(i);
        const auto s = static_cast<size_t>(i);
        current_[s] = new QRadioButton(this);
        current_[s]->setChecked(i == pages.currentIndex());
        names_[s] = new QLineEdit(QString::fromStdString(page.name), this);
        frequencies_[s] = new QLineEdit(QString::fromStdString(page.frequency), this);
        options_[s] = new QComboBox(this);
        options_[s]->addItem(QStringLiteral("Częstotliwość dźwięku"), kFreqModeAudio);
        options_[s]->addItem(QStringLiteral("Start + częstotliwość dźwięku"),
                             kFreqModeUpperSideband);
        options_[s]->addItem(QStringLiteral("Start - częstotliwość dźwięku"),
                             kFreqModeLowerSideband);
        options_[s]->setCurrentIndex(options_[s]->findData(page.spectrumOption));
        grid->addWidget(current_[s], i + 1, 0);
        grid->addWidget(names_[s], i + 1, 1);
        grid->addWidget(frequencies_[s], i + 1, 2);
        grid->addWidget(options_[s], i + 1, 3);
    }
    layout->addLayout(grid);
    layout->addWidget(okCancelButtons(this));
}

BandPages CBandPagesDialog::pages() const {
    BandPages result = pages_;
    for (int i = 0; i < kBandPageCount; ++i) {
        const auto s = static_cast<size_t>(i);
        BandPage& page = result.page(i);
        page.name = names_[s]->text().toStdString();
        page.frequency = frequencies_[s]->text().trimmed().toStdString();
        const QVariant option = options_[s]->currentData();
        page.spectrumOption = option.isValid() ? option.toInt() : kFreqModeAudio;
        if (current_[s]->isChecked()) result.select(i);
    }
    return result;
}

CHighlightDialog::CHighlightDialog(const HighlightWords& words, modem::CharacterSet set,
                                   QWidget* parent)
    : QDialog(parent), set_(set) {
    setWindowTitle(QStringLiteral("Kolor wybranego tekstu multikanału"));
    fitTitle(this);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const HighlightWords::Slots slotList = words.slots();
    for (int k = 0; k < kHighlightWordSlots; ++k) {
        const auto s = static_cast<size_t>(k);
        texts_[s] = new QLineEdit(fromStationCodes(slotList[s].text, set_), this);
        colours_[s] = new ColourButton(QStringLiteral("Kolor..."), this);
        colours_[s]->setColour(slotList[s].colour);
        ColourButton* button = colours_[s];
        connect(button, &QPushButton::clicked, this, [this, button] {
            const QColor chosen = QColorDialog::getColor(toQColor(button->colour()), this);
            if (chosen.isValid()) button->setColour(fromQColor(chosen));
        });
        grid->addWidget(new QLabel(QStringLiteral("Opis%1").arg(k + 1), this), k, 0);
        grid->addWidget(texts_[s], k, 1);
        grid->addWidget(colours_[s], k, 2);
    }
    layout->addLayout(grid);
    layout->addWidget(okCancelButtons(this));
}

HighlightWords::Slots CHighlightDialog::words() const {
    HighlightWords::Slots result;
    for (int k = 0; k < kHighlightWordSlots; ++k) {
        const auto s = static_cast<size_t>(k);
        result[s].text = toStationCodes(texts_[s]->text(), set_);
        result[s].colour = colours_[s]->colour();
    }
    return result;
}

}  // namespace tarnvel::display
