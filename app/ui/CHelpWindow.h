#pragma once
// The manual: the Markdown pages of docs/manual shown in a browser window, the links between
// them followed, with Back, Forward and Contents.

#include <QString>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace tarnvel::app {

// The folder that holds the manual's index.md, or an empty string when it is nowhere. A program
// run from its build tree reads the source tree's pages (the ones being written); an installed
// one reads the installed pages. programFolder is where the running program lies.
QString findManualFolder(const QString& programFolder);

class CHelpWindow : public QWidget {
    Q_OBJECT
  public:
    CHelpWindow(const QString& manualFolder, QWidget* parent = nullptr);

    // Shows the manual in the window that parent already has open (brought to the front), or in
    // a new one; false, with nothing shown, when the manual cannot be found.
    static bool showManual(QWidget* parent);

    QTextBrowser* browser() const { return browser_; }
    void showContents();

  private:
    void followTitle();

    QString folder_;
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
};

}  // namespace tarnvel::app
