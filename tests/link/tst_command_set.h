#pragma once

#include <QObject>

class CommandSetTest : public QObject {
    Q_OBJECT

private slots:
    void commandsEndInACarriageReturn();
    void labelsStandAtFixedPositions_data();
    void labelsStandAtFixedPositions();
    void versionAndListingAreTakenFromTheirReplies();
    void errorIsRecognisedOnlyAtTheEnd();
};
