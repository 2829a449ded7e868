#pragma once
// The tuning-indicator bar shown instead of the waterfall's own phase scope when
// "OldPhaseScope" is on: the phase circle of the receiver's last symbols and the "S/N, dB"
// meter, 0 to 60 dB, with a mark at the noise figure.
//
// The owner docks it, points the receivers' phase reports at the PhaseScope it draws, and hands
// it the levels of every IMD/S-N measurement; each call repaints.

#include <QWidget>

#include "modem/Mode.h"
#include "display/PhaseScope.h"

namespace tarnvel::display {

class CTuningIndicator : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMeterTopDb = 60;

    explicit CTuningIndicator(QWidget* parent = nullptr);

    // The points to draw (not owned; null draws an empty circle). The circle sets the scope's
    // radius for the points that follow.
    void setPhaseScope(PhaseScope* scope);
    // The operating mode: it decides the colour of each phase line.
    void setMode(modem::Mode mode);
    // One measurement: the S/N in dB and the noise figure (noise + 40), both whole numbers.
    void setLevels(int signalToNoiseDb, int noiseFigure);
    // New phase points arrived.
    void refresh() { update(); }

    int signalToNoise() const { return signalToNoise_; }
    int noiseFigure() const { return noiseFigure_; }
    // Geometry, for the owner's layout and for tests.
    QRect circleRect() const;
    QRect meterRect() const;
    // The meter's x for a value in dB, clamped to the scale.
    int meterX(int db) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void drawCircle(QPainter& p);
    void drawMeter(QPainter& p);

    PhaseScope* scope_ = nullptr;
    modem::Mode mode_ = modem::Mode::Bpsk31;
    int signalToNoise_ = 0;
    int noiseFigure_ = 0;
};

}  // namespace tarnvel::display
