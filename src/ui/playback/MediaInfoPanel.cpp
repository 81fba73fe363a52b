#include "ui/playback/MediaInfoPanel.h"

#include "ui/controls/DefaultFont.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>


MediaInfoPanel::MediaInfoPanel(QWidget& mainWindow, Lines lines, Corner corner)
    : QWidget(&mainWindow, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      lines_(std::move(lines)), corner_(std::move(corner))
{
    setObjectName(QStringLiteral("MediaInfoPanel"));
    setAccessibleName(QStringLiteral("播放信息"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(defaultGuiFont());
    setStyleSheet(QStringLiteral("MediaInfoPanel { background: rgba(0, 0, 0, 200); }"
                                 " QLabel { color: rgb(230, 230, 230); }"));
    label_ = new QLabel(this);
    label_->setAccessibleName(QStringLiteral("信息内容"));
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label_->setTextFormat(Qt::PlainText);
    auto* copy = new QPushButton(QStringLiteral("复制"), this);
    copy->setAccessibleName(QStringLiteral("复制信息"));
    copy->setFocusPolicy(Qt::NoFocus);
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(text()); });
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setAccessibleName(QStringLiteral("关闭信息"));
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(label_);
    layout->addLayout(buttons);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &MediaInfoPanel::refresh);
}

void MediaInfoPanel::present()
{
    show();
    raise();
    refresh();
    refresh_.start();
}

QString MediaInfoPanel::text() const
{
    return label_->text();
}

void MediaInfoPanel::refresh()
{
    if (!isVisible()) {
        refresh_.stop();
        return;
    }
    const QString text = lines_().join(u'\n');
    if (text != label_->text()) {
        label_->setText(text);
        setAccessibleDescription(text);
        adjustSize();
    }
    if (const QPoint corner = corner_(); corner != pos())
        move(corner);
}
