#include "ui/lists/ListHeading.h"

#include "ui/MainWindow.h"
#include "ui/controls/Q_tip.h"
#include "ui/controls/TransLabel.h"

#include <QTimer>

namespace {
constexpr int kFlashMs = 5000;
}

ListHeading::ListHeading(MainWindow& window) : window_(window), label_(window.get<TransLabel>(u"ListCaptionLabel")) {}

void ListHeading::keepOwnText()
{
    if (ownText_.isEmpty())
        ownText_ = label_.caption();
}

void ListHeading::showProgress(int done, int total)
{
    keepOwnText();
    progress_ = true;
    label_.setCaption(QStringLiteral("检测中 %1/%2").arg(done).arg(total));
}

void ListHeading::restore()
{
    progress_ = false;
    if (!ownText_.isEmpty())
        label_.setCaption(ownText_);
}

void ListHeading::flash(const QString& text)
{
    if (text.isEmpty() || progress_)
        return;
    keepOwnText();
    label_.setCaption(text);
    QTimer::singleShot(kFlashMs, &label_, [this, text] {
        if (!progress_ && label_.caption() == text)
            label_.setCaption(ownText_);
    });
}

void ListHeading::setState(const QString& state, const QString& keysHelp)
{
    label_.setAccessibleDescription(state);
    window_.get<Q_tip>(u"TipBalloon").SetTip(&label_, state.isEmpty() ? keysHelp : state + QStringLiteral("\n\n") + keysHelp);
}
