#include "platform/widgets/qtmessageservice.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    zoka::QtMessageService messages;
    zoka::setMessageService(&messages);
    return 0;
}
