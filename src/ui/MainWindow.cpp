#include "MainWindow.h"

#include "ControlFactory.h"
#include "WindowDescription.h"
#include "controls/Color.h"
#include "controls/Control.h"
#include "controls/ControlAccessibility.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}

MainWindow::MainWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    registerPictures();
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    installControlAccessibility();
    const WindowRecord& record = mainWindowRecord();
    setWindowTitle(record.title.toString());
    setAttribute(Qt::WA_OpaquePaintEvent);
    backgroundColour_ = backgroundColor(record.background, palette());
    background_ = QPixmap(record.backgroundPicture.toString());
    resize(record.clientSize);
    buildControls();
    move(centredPosition(size()));
}

void MainWindow::buildControls()
{
    const auto records = mainWindowControls();
    controls_.reserve(records.size());
    for (const ControlRecord& record : records) {
        Control& control = createControl(record, *this);
        // Each new control goes below those made before it.
        if (QWidget* w = control.widget())
            w->lower();
        controls_.push_back(&control);
        byName_.insert(control.name(), &control);
    }
    // Parents named in the description may come later in the order.
    for (const ControlRecord& record : records) {
        if (record.parent.isEmpty())
            continue;
        Control* child = control(record.name);
        Control* parent = control(record.parent);
        QWidget* parentWidget = parent ? parent->widget() : nullptr;
        if (!child || !parentWidget)
            continue;
        if (QWidget* w = child->widget()) {
            const bool visible = child->Visible();
            w->setParent(parentWidget);
            child->SetRect(record.rect);
            child->SetVisible(visible);
        } else {
            child->object().setParent(parentWidget);
        }
    }
}

Control* MainWindow::control(QStringView name) const
{
    return byName_.value(name.toString(), nullptr);
}

QPoint MainWindow::centredPosition(QSize size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize screenSize = screen->geometry().size();
    return {(screenSize.width() - size.width()) / 2, (screenSize.height() - size.height()) / 2};
}

void MainWindow::Centre()
{
    move(centredPosition(size()));
}

void MainWindow::Open()
{
    emit created();
    Centre();
    show();
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), backgroundColour_); // under a picture that does not load
    if (!background_.isNull())
        painter.drawTiledPixmap(rect(), background_);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    drag_.press(*event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    drag_.move(*event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*)
{
    drag_.release();
}
