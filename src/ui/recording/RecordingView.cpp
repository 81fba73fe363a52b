#include "ui/recording/RecordingView.h"

#include "ui/MainWindow.h"
#include "ui/recording/RecordingMark.h"
#include "ui/playback/VideoArea.h"
#include "core/recording/ScheduledRecordings.h"
#include "core/playback/PlaybackController.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString whyEnded(LiveRecorder::Stop why)
{
    switch (why) {
    case LiveRecorder::Stop::DiskShort:
        return QStringLiteral("磁盘空间不足，录制已停止。");
    case LiveRecorder::Stop::WriteFailed:
        return QStringLiteral("写入文件失败，录制已停止。");
    case LiveRecorder::Stop::StreamEnded:
        return QStringLiteral("频道连接已断开，录制已结束。");
    case LiveRecorder::Stop::None:
    case LiveRecorder::Stop::ByRequest:
        break;
    }
    return QStringLiteral("录制已结束。");
}

// Said without holding the window up: the channel plays on behind it.
void tell(QWidget& window, const QString& text, const QString& path)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("录制"),
                                text + QStringLiteral("\n") + QFileInfo(path).absoluteFilePath(), QMessageBox::Ok,
                                &window);
    box->setAccessibleName(QStringLiteral("录制"));
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

// A planned programme's server allows one connection, which the channel
// watched holds: switch to it and record it, or let it go. Asked without
// holding the window up.
void askSwitch(QWidget& window, ScheduledRecordings& scheduled, const RecordingPlan& plan)
{
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("预约录制"),
                                QStringLiteral("“%1”（%2）该录制了，但它的服务器只允许一个连接，正被现在看的频道占用。\n"
                                               "换到这个频道录制吗？")
                                    .arg(plan.title, plan.channel.name),
                                QMessageBox::NoButton, &window);
    box->setAccessibleName(QStringLiteral("预约录制"));
    QPushButton* record = box->addButton(QStringLiteral("换台录制"), QMessageBox::AcceptRole);
    QPushButton* skip = box->addButton(QStringLiteral("不录制"), QMessageBox::RejectRole);
    record->setAccessibleName(QStringLiteral("换台录制"));
    skip->setAccessibleName(QStringLiteral("不录制"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    QObject::connect(box, &QMessageBox::buttonClicked, &scheduled, [&scheduled, plan, record](QAbstractButton* clicked) {
        scheduled.answer(plan, clicked == record);
    });
    box->show();
}

} // namespace

RecordingView::RecordingView(MainWindow& window, LiveControl& live, ScheduledRecordings* scheduled, VideoArea& video)
{
    mark_ = new RecordingMark(
        window, [&live]() -> std::int64_t { return live.recording() ? live.recordingElapsedMs() : -1; },
        [&video] { return video.onScreen(); });
    connect(&live, &LiveControl::recordingChanged, mark_, &RecordingMark::follow);
    connect(&live, &LiveControl::recordingEnded, this,
            [&window](LiveRecorder::Stop why, const QString& path) { tell(window, whyEnded(why), path); });
    connect(&live, &LiveControl::recordingRefused, this, [&window](const QString& path) {
        tell(window, QStringLiteral("无法开始录制：文件无法创建。"), path);
    });
    if (scheduled) {
        connect(scheduled, &ScheduledRecordings::askSwitch, this,
                [&window, scheduled](const RecordingPlan& plan) { askSwitch(window, *scheduled, plan); });
        connect(scheduled, &ScheduledRecordings::besideChanged, mark_, &RecordingMark::setBeside);
    }
}

RecordingView::~RecordingView()
{
    delete mark_.data();
}
