#include "AboutBox.h"

#include "AppImages.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace zarvex::gui {

AboutBox::AboutBox(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint),
      version_(new QLabel(tr("Version %1").arg(ZARVEX_VERSION), this)) {
    setObjectName("AboutBox");
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet("#AboutBox { background: #fbfaf7; border: 1px solid #9aa0a8; }");

    auto* picture = new QLabel(this);
    picture->setPixmap(appImage("about").pixmap(QSize(360, 180)));
    picture->setAlignment(Qt::AlignCenter);

    auto* name = new QLabel(QStringLiteral("<b style='font-size:18pt'>3D Zarvex</b>"), this);
    name->setAlignment(Qt::AlignCenter);
    version_->setAlignment(Qt::AlignCenter);
    auto* link = new QLabel(
        QStringLiteral("<a href='%1'>%1</a>").arg(QString::fromLatin1(kMakerWebSite)), this);
    link->setAlignment(Qt::AlignCenter);
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);

    auto* close = new QPushButton(tr("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addWidget(picture);
    layout->addWidget(name);
    layout->addWidget(version_);
    layout->addWidget(link);
    layout->addSpacing(8);
    layout->addWidget(close, 0, Qt::AlignCenter);
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

void AboutBox::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - dragOffset_);
    QWidget::mouseMoveEvent(event);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace zarvex::gui
