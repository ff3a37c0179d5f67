#pragma once

#include <QObject>

class ReplyWaitTest : public QObject {
    Q_OBJECT

private slots:
    void replyInPiecesIsGatheredWhole();
    void replyNotEndingInPromptTimesOutWithTextKept();
    void lateReplyStandsAtStartOfNextBuffer();
    void promptArrivingAtTheDeadlineCounts();
    void cancelDuringWaitStillEndsOnTime();
    void nestedWaitLeavesOuterDeadline();
    void closedPortEndsTheWaitAtOnce();
    void clickDuringAnExchangeSendsNothing();
    void clickDuringThePollRunsWhenItsReplyIsIn();
    void closingDuringThePollWaitsForItsReply();
};
