// The tuning-indicator bar on the offscreen platform: the S/N meter's fill and noise mark, and
// the phase circle's lines in the colours of the mode.

#include <QtTest>

#include "modem/Mode.h"
#include "display/ui/CTuningIndicator.h"

using namespace tarnvel::display;

class TuningIndicatorTest : public QObject {
    Q_OBJECT
  private:
    PhaseScope scope_;
    std::unique_ptr<CTuningIndicator> bar_;

    QColor at(const QImage& image, int x, int y) const { return QColor(image.pixel(x, y)); }
    int meterMiddle() const { return bar_->meterRect().center().y(); }

  private Q_SLOTS:
    void init() {
        scope_ = PhaseScope();
        bar_ = std::make_unique<CTuningIndicator>();
        bar_->setPhaseScope(&scope_);
        bar_->resize(bar_->sizeHint());
        bar_->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar_.get()));
    }

    void cleanup() { bar_.reset(); }

    void layoutKeepsCircleAndMeterApartInsideTheBar() {
        const QRect circle = bar_->circleRect();
        const QRect meter = bar_->meterRect();
        QVERIFY(circle.height() >= 25);
        QCOMPARE(circle.height() % 2, 1);
        QVERIFY(meter.left() > circle.right());
        QVERIFY(meter.right() < bar_->width());
        QVERIFY(meter.width() > 100);
        QCOMPARE(bar_->meterX(0), meter.left());
        QCOMPARE(bar_->meterX(60), meter.right());
        QCOMPARE(bar_->meterX(75), meter.right());
        QCOMPARE(bar_->meterX(-4), meter.left());
    }

    void meterFillsToTheSignalToNoiseAndMarksTheNoise() {
        bar_->setLevels(30, 10);
        QCOMPARE(bar_->signalToNoise(), 30);
        const QImage image = bar_->grab().toImage();
        const int y = meterMiddle();
        QCOMPARE(at(image, bar_->meterX(29), y), QColor(0, 200, 0));
        QCOMPARE(at(image, bar_->meterX(32), y), QColor(Qt::black));
        QCOMPARE(at(image, bar_->meterX(10), y), QColor(200, 0, 0));
        // Beyond the scale the bar is full; no noise mark below the scale.
        bar_->setLevels(95, -12);
        const QImage full = bar_->grab().toImage();
        QCOMPARE(at(full, bar_->meterRect().right(), y), QColor(0, 200, 0));
        QCOMPARE(at(full, bar_->meterX(10), y), QColor(0, 200, 0));
        bar_->setLevels(-3, 0);
        QCOMPARE(at(bar_->grab().toImage(), bar_->meterX(0) + 1, y), QColor(Qt::black));
    }

    void phaseLinesTakeTheColourOfTheMode() {
        bar_->grab();  // the first paint sizes the scope to the circle
        const QRect circle = bar_->circleRect();
        QCOMPARE(scope_.radius(), circle.height() / 2 - 1);
        for (int i = 0; i < kPhaseScopePoints; ++i) scope_.showPhase(0, 0, 800);  // straight up
        bar_->setMode(tarnvel::modem::Mode::Bpsk31);
        const QPoint up = circle.center() - QPoint(0, scope_.radius() / 2);
        QCOMPARE(at(bar_->grab().toImage(), up.x(), up.y()), QColor(0, 255, 0));
        // FSK wants its tone on the horizontal axis: the same line is wrong there.
        bar_->setMode(tarnvel::modem::Mode::Fsk31);
        QCOMPARE(at(bar_->grab().toImage(), up.x(), up.y()), QColor(255, 0, 0));
        // Without a scope the circle stays empty.
        bar_->setPhaseScope(nullptr);
        QCOMPARE(at(bar_->grab().toImage(), up.x(), up.y()), QColor(Qt::black));
    }
};

QTEST_MAIN(TuningIndicatorTest)
#include "TuningIndicatorTest.moc"
