#pragma once

#include <QObject>

class PollOnPtyTest : public QObject {
    Q_OBJECT

private slots:
    void pollGathersAReplyInPiecesFromARealPort();
    void silentLineTimesOutAfterHalfASecond();
};
