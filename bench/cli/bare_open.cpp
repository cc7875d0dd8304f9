// A bare QCoreApplication that opens the same serial device and exits: what
// any command-line tool pays before it talks to the unit.
#include <QCoreApplication>
#include <QSerialPort>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 1;
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    return port.open(QIODevice::ReadWrite) ? 0 : 2;
}
