#pragma once

#include "core/lists/AddressCheck.h"
#include "core/lists/ListLibrary.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// What the window says of lists by address.
namespace texts {

inline QString localList() { return QStringLiteral("本地列表"); }

// Why an address did not answer a check ("连接被拒绝", "超时", "404", …).
inline QString checkReason(const AddressCheck& found)
{
    using Reason = AddressCheck::Reason;
    switch (found.reason) {
    case Reason::Refused:
        return QStringLiteral("连接被拒绝");
    case Reason::NoServer:
        return QStringLiteral("找不到服务器");
    case Reason::Timeout:
        return QStringLiteral("超时");
    case Reason::Closed:
        return QStringLiteral("连接被关闭");
    case Reason::SecureFailed:
        return QStringLiteral("安全连接失败");
    case Reason::Status:
        return QString::number(found.status);
    case Reason::NotRtsp:
        return QStringLiteral("不是 RTSP 服务器");
    case Reason::NoData:
        return QStringLiteral("没有数据");
    case Reason::PlaylistTooLarge:
        return QStringLiteral("播放列表太大");
    case Reason::PlaylistTooDeep:
        return QStringLiteral("播放列表套得太深");
    case Reason::PlaylistEmpty:
        return QStringLiteral("播放列表是空的");
    case Reason::NotChecked:
        return QStringLiteral("未检测");
    case Reason::HeldByPlaying:
        return QStringLiteral("未检测：这台服务器只允许一个连接，正在播放");
    case Reason::Other:
    case Reason::None:
        break;
    }
    return found.detail;
}

// Why none of a channel's addresses answered, each reason once.
inline QString whyNoneAnswered(const std::vector<AddressCheck>& reasons)
{
    QStringList said;
    for (const AddressCheck& one : reasons)
        said << checkReason(one);
    return said.join(QStringLiteral("；"));
}

inline QString listProblem(ListProblem problem, int httpStatus)
{
    switch (problem) {
    case ListProblem::None:
        return {};
    case ListProblem::Timeout:
        return QStringLiteral("超时");
    case ListProblem::HttpStatus:
        return QStringLiteral("服务器拒绝（%1）").arg(httpStatus);
    case ListProblem::Network:
        return QStringLiteral("无法连接");
    case ListProblem::TooLarge:
        return QStringLiteral("文件太大，不像列表");
    case ListProblem::CutOff:
        return QStringLiteral("下载不完整");
    case ListProblem::Empty:
        return QStringLiteral("内容为空");
    case ListProblem::WebPage:
        return QStringLiteral("服务器返回的是网页，不是列表");
    case ListProblem::Binary:
        return QStringLiteral("不是文本列表");
    case ListProblem::NoEntries:
        return QStringLiteral("里面没有频道");
    case ListProblem::Account:
        return QStringLiteral("账号不可用");
    }
    return {};
}

// The heading's short word for a refresh that changed the list; empty when there is none to say.
inline QString listUpdated(const ListLibrary::Refresh& status)
{
    if (status.kind != ListLibrary::Refresh::Kind::Updated || (status.added == 0 && status.removed == 0))
        return {};
    return QStringLiteral("列表已更新：新增 %1，移除 %2").arg(status.added).arg(status.removed);
}

// Where a provider's account stands: "账号有效，到期 2027-03-01，最多 1 个连接",
// "账号已过期（2026-01-31）", …; the words an earlier version kept as they are.
inline QString accountStanding(const account::Noted& noted)
{
    if (!noted.state)
        return noted.words;
    const account::State& state = *noted.state;
    using Standing = account::State::Standing;
    const QString day = state.expires > 0
                            ? QDateTime::fromSecsSinceEpoch(state.expires, Qt::UTC).toString(u"yyyy-MM-dd")
                            : QString();
    switch (state.standing) {
    case Standing::Refused:
        return state.status.isEmpty() ? QStringLiteral("账号被拒绝（用户名或密码不对）")
                                      : QStringLiteral("账号被拒绝（%1）").arg(state.status);
    case Standing::Expired:
        return day.isEmpty() ? QStringLiteral("账号已过期") : QStringLiteral("账号已过期（%1）").arg(day);
    case Standing::OverConnections:
        return QStringLiteral("账号连接已满（%1/%2）").arg(state.activeConnections).arg(state.maxConnections);
    case Standing::Active:
    case Standing::Other:
        break;
    }
    QString said = state.standing == Standing::Active ? QStringLiteral("账号有效")
                                                       : QStringLiteral("账号状态：%1").arg(state.status);
    said += day.isEmpty() ? QStringLiteral("，不过期") : QStringLiteral("，到期 %1").arg(day);
    if (state.maxConnections > 0)
        said += QStringLiteral("，最多 %1 个连接").arg(state.maxConnections);
    return said;
}

// What the last refresh came to; empty when there is nothing to say.
inline QString refreshState(const ListLibrary::Refresh& status)
{
    using Kind = ListLibrary::Refresh::Kind;
    switch (status.kind) {
    case Kind::Fetching:
        return QStringLiteral("正在更新列表…");
    case Kind::Failed: {
        const bool account = status.problem == ListProblem::Account && !status.account.isEmpty();
        QString text = QStringLiteral("列表未能更新：") +
                       (account ? accountStanding(status.account) : listProblem(status.problem, status.httpStatus));
        if (status.copyFrom.isValid())
            text += QStringLiteral("；显示 %1 的副本").arg(status.copyFrom.toLocalTime().toString(QStringLiteral("M月d日 HH:mm")));
        return text;
    }
    case Kind::Updated:
        return listUpdated(status).isEmpty() ? QStringLiteral("列表已更新") : listUpdated(status);
    case Kind::Unchanged:
        return QStringLiteral("列表已是最新");
    case Kind::Quiet:
        break;
    }
    return {};
}

// The heading's tooltip and accessible description for the list's state; empty
// when all is well. A provider's account says where it stands first.
inline QString listState(const ListLibrary::Refresh& status)
{
    const QString refresh = refreshState(status);
    if (status.account.isEmpty() || (status.kind == ListLibrary::Refresh::Kind::Failed &&
                                     status.problem == ListProblem::Account))
        return refresh;
    const QString standing = accountStanding(status.account);
    return refresh.isEmpty() ? standing : standing + QStringLiteral("；") + refresh;
}

} // namespace texts
