#include "EventBinding.h"

#include "MainWindow.h"
#include "controls/DropTarget.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "controls/PicBox.h"
#include "controls/PicBtn.h"
#include "controls/Timer.h"
#include "controls/TransLabel.h"

namespace {

template <class Kind, class Signal, class Adapter>
bool connectAs(QObject& object, Signal signal, Adapter adapter)
{
    auto* kind = qobject_cast<Kind*>(&object);
    if (!kind)
        return false;
    QObject::connect(kind, signal, kind, adapter);
    return true;
}

bool bindOne(MainWindow& window, const EventBinding& binding)
{
    const EventHandler handler = binding.handler;
    if (!handler)
        return false;
    const auto plain = [handler] { handler({}); };
    const auto mouse = [handler](QPoint position, Qt::KeyboardModifiers keys) {
        handler({position, keys, 0, 0, {}});
    };

    if (binding.control == u"MainWindow") {
        if (binding.event != ControlEvent::Created)
            return false;
        QObject::connect(&window, &MainWindow::created, &window, plain);
        return true;
    }
    Control* control = window.control(binding.control);
    if (!control)
        return false;
    QObject& object = control->object();
    switch (binding.event) {
    case ControlEvent::Created:
        return false;
    case ControlEvent::Click:
        return connectAs<PicBtn>(object, &PicBtn::clicked, plain);
    case ControlEvent::LeftPressed:
        return connectAs<TransLabel>(object, &TransLabel::leftPressed, mouse);
    case ControlEvent::DoubleClick:
        return connectAs<PicBox>(object, &PicBox::doubleClicked, mouse);
    case ControlEvent::ItemDoubleClicked:
        return connectAs<ListBox>(object, &ListBox::itemDoubleClicked, plain);
    case ControlEvent::Tick:
        return connectAs<Timer>(object, &Timer::ticked, plain);
    case ControlEvent::FilesDropped:
        return connectAs<DropTarget>(object, &DropTarget::filesDropped,
                                     [handler](const QString& text) { handler({{}, {}, 0, 0, text}); });
    case ControlEvent::Notification:
        return connectAs<Label>(object, &Label::notified,
                                [handler](int first, int second) { handler({{}, {}, first, second, {}}); });
    }
    return false;
}

} // namespace

bool bindEvents(MainWindow& window, std::span<const EventBinding> bindings)
{
    for (const EventBinding& binding : bindings) {
        if (!bindOne(window, binding)) {
            qWarning("event binding for %s does not fit the window's description",
                     qPrintable(binding.control.toString()));
            return false;
        }
    }
    return true;
}
