// The application core's rules without a window: neighbours of a channel and
// channel numbers in a list with group headings.

#include "core/ChannelOrder.h"

#include <QTest>

#include <set>

class CoreTest : public QObject {
    Q_OBJECT

private slots:
    void neighboursSkipHeadingsAndGoRound();
    void channelNumbersCountChannelsOnly();
};

namespace {

// Rows 0 and 3 are headings: "央视", A, B, "卫视", C.
const std::set<int> kHeadings{0, 3};
const channelorder::IsHeading kIsHeading = [](int row) { return kHeadings.count(row) > 0; };
constexpr int kRows = 5;

} // namespace

void CoreTest::neighboursSkipHeadingsAndGoRound()
{
    using channelorder::nextChannel;
    QCOMPARE(nextChannel(kRows, kIsHeading, 2, +1, true), 4);  // over a heading
    QCOMPARE(nextChannel(kRows, kIsHeading, 4, +1, true), 1);  // round the end and over the first heading
    QCOMPARE(nextChannel(kRows, kIsHeading, 1, -1, true), 4);  // round the start
    QCOMPARE(nextChannel(kRows, kIsHeading, 4, +1, false), -1); // the selection stops at the end
    QCOMPARE(nextChannel(kRows, kIsHeading, -1, +1, false), 1); // from before the start
    QCOMPARE(nextChannel(kRows, kIsHeading, kRows, -1, false), 4);
    // A list of one channel is its own neighbour; headings only or nothing: none.
    QCOMPARE(nextChannel(1, [](int) { return false; }, 0, +1, true), 0);
    QCOMPARE(nextChannel(3, [](int) { return true; }, 0, +1, true), -1);
    QCOMPARE(nextChannel(0, kIsHeading, -1, +1, true), -1);
}

void CoreTest::channelNumbersCountChannelsOnly()
{
    using channelorder::rowOfNumber;
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 1), 1);
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 3), 4);
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 4), -1);
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 0), -1);
}

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"
