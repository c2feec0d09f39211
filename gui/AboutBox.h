#pragma once

#include <QPoint>
#include <QWidget>

class QLabel;

namespace zarvex::gui {

// The About box: a borderless window with the application's picture, its
// version and a link to the maker's web site. It is dragged by any point of
// its face and closed by a click on Close, Escape, or losing focus.
class AboutBox : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kMakerWebSite = "https://kestrova.example/zarvex/";

    explicit AboutBox(QWidget* parent = nullptr);

    QLabel* versionLabel() const { return version_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* version_;
    QPoint dragOffset_;
};

} // namespace zarvex::gui
