// Compiled against a layer that must not see the window: it must fail.
#include <QWidget>

int widgetProbe()
{
    return int(sizeof(QWidget));
}
