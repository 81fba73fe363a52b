#include "ControlFactory.h"

#include "WindowDescription.h"
#include "controls/DefaultFont.h"
#include "controls/DropTarget.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "controls/PicBox.h"
#include "controls/PicBtn.h"
#include "controls/Q_tip.h"
#include "controls/Timer.h"
#include "controls/TransLabel.h"

#include <QImage>

namespace {

QImage picture(QStringView path)
{
    return path.isEmpty() ? QImage() : QImage(path.toString());
}

QFont fontFor(const FontSpec& spec)
{
    if (spec.family.isEmpty())
        return defaultGuiFont();
    QFont font(spec.family.toString());
    font.setPixelSize(spec.pixelHeight);
    font.setItalic(spec.italic);
    font.setWeight(QFont::Normal);
    return font;
}

struct Builder {
    QWidget& window;

    Control& operator()(const PicBtnSettings& s) const
    {
        auto* button = new PicBtn(&window);
        button->setNormalPicture(picture(s.normal));
        button->setPressedPicture(picture(s.pressed));
        button->setHoverPicture(picture(s.hover));
        button->setDisabledPicture(picture(s.disabled));
        button->setTransparentColor(s.transparent);
        button->setAccessibleName(s.accessibleName.toString());
        return *button;
    }

    Control& operator()(const TransLabelSettings& s) const
    {
        auto* label = new TransLabel(&window);
        label->setCaptionFont(fontFor(s.font));
        label->setTextColor(s.color);
        label->setAlignment(s.horizontal, s.vertical);
        label->setCaption(s.caption.toString());
        return *label;
    }

    Control& operator()(const LabelSettings&) const { return *new Label(&window); }

    Control& operator()(const PicBoxSettings& s) const
    {
        auto* box = new PicBox(&window);
        box->setBackground(s.background);
        box->setPicture(picture(s.picture));
        box->setDisplayMode(s.mode);
        if (s.videoSurface) {
            // Only this widget becomes an X window; its ancestors and siblings stay
            // ordinary widgets, so the transparent labels keep painting over the window.
            box->setAttribute(Qt::WA_DontCreateNativeAncestors);
            box->setAttribute(Qt::WA_NativeWindow);
        }
        return *box;
    }

    Control& operator()(const ListBoxSettings& s) const
    {
        auto* list = new ListBox(&window);
        list->setColors(s.text, s.background);
        list->setExtraLineSpacing(s.extraLineSpacing);
        return *list;
    }

    Control& operator()(const TimerSettings& s) const
    {
        auto* timer = new Timer(&window);
        timer->setPeriod(s.period);
        return *timer;
    }

    Control& operator()(const DropTargetSettings& s) const
    {
        auto* target = new DropTarget(&window);
        target->setAccepts({s.text, s.links, s.html, s.files});
        return *target;
    }

    Control& operator()(const TipSettings&) const { return *new Q_tip(&window); }
};

} // namespace

Control& createControl(const ControlRecord& record, QWidget& window)
{
    Control& control = std::visit(Builder{window}, record.settings);
    control.object().setObjectName(record.name.toString());
    control.SetTag(record.tag.toString());
    control.SetCursor(record.cursor);
    control.SetRect(record.rect);
    control.SetVisible(record.visible);
    return control;
}
