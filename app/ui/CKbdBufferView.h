#pragma once
// The transmit window: the operator types ahead here and the transmitter takes the text. The
// text, the send queue and the sent part live in TransmitText; the window turns keys, pastes
// and drops into its operations and redraws from it after every change. In underline mode the
// sent part is underlined and edits of it are refused.

#include <QTextEdit>
#include <vector>

#include "app/TransmitText.h"

namespace tarnvel::app {

class CKbdBufferView : public QTextEdit {
    Q_OBJECT
  public:
    explicit CKbdBufferView(TransmitText& model, QWidget* parent = nullptr);
    ~CKbdBufferView() override;

    void setColours(const QColor& text, const QColor& background);
    TransmitText& model() { return model_; }

    // Typed text from elsewhere (the waterfall, the frame) as if typed here.
    void typeText(const QString& text);
    // Redraws the window from the model.
    void render();

    // Positions between the model (a CR LF pair is two characters) and the window (one).
    int viewPosition(size_t modelPosition) const;
    size_t modelPosition(int viewPosition) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    qsizetype shownLength(const std::string& text, size_t at, size_t length) const;
    void appendShown(QString& shown, const std::string& text, size_t at, size_t length) const;
    void syncSelection();
    void deleteForward();
    void cutSelection();

    TransmitText& model_;
    QColor textColour_{0, 0x40, 0};
    std::vector<int> viewOfModel_;     // model index -> window position
    std::vector<size_t> modelOfView_;  // window position -> model index
    bool rendering_ = false;
};

}  // namespace tarnvel::app
