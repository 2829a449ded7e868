#pragma once
// One pane of the main frame's status bar: a text sized to what it shows, drawn pressed or
// raised, optionally greyed, optionally with a small indicator (a padlock or an arrow) in
// front. Clicks are reported; what they do is the frame's business.

#include <QColor>
#include <QFrame>

namespace tarnvel::app {

class StatusPane : public QFrame {
    Q_OBJECT
  public:
    enum class Indicator { None, Arrow, Padlock };

    explicit StatusPane(const QString& sample, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    // The width is that of the sample text (at least) so the bar does not jump.
    void setSample(const QString& sample);
    void setPressed(bool pressed);
    bool pressed() const { return pressed_; }
    void setTextColour(const QColor& colour);
    void setIndicator(Indicator indicator, const QColor& colour);
    // Text drawn or left out (the blinking TX pane).
    void setTextShown(bool shown);

    QSize sizeHint() const override;

  Q_SIGNALS:
    void clicked();
    void rightClicked(const QPoint& globalPos);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QString text_;
    QString sample_;
    bool pressed_ = false;
    bool textShown_ = true;
    QColor textColour_{Qt::black};
    Indicator indicator_ = Indicator::None;
    QColor indicatorColour_{Qt::gray};
};

}  // namespace tarnvel::app
