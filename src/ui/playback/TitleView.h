#pragma once

#include <QObject>

class PlaybackController;
class TransLabel;

// The title bar says where what plays stands, as the controller tells it:
// its caption, and its tooltip why a choice failed.
class TitleView final : public QObject {
    Q_OBJECT
public:
    TitleView(TransLabel& title, PlaybackController& playback);
};
