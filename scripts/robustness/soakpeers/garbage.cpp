#include "garbage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Garbage {

namespace {

QByteArray noise(std::mt19937 &random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random() & 0xff);
    return bytes;
}

int pick(std::mt19937 &random, int count)
{
    return int(random() % quint32(count));
}

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

QString obsMessage(std::mt19937 &random)
{
    switch (pick(random, 10)) {
    case 0:
        return QString::fromLatin1(noise(random, 1 + pick(random, 2000)));
    case 1: {
        const QString valid = QStringLiteral(
            R"({"message-id":"2","status":"ok","sources":[{"name":"Mic/Aux"},{"name":"Desktop Audio"}]})");
        return valid.left(pick(random, int(valid.size())));
    }
    case 2:
        return QStringLiteral(R"({"message-id":2,"sources":5,"streaming":"yes","volume":"loud"})");
    case 3:
        // Half a megabyte in one value.
        return compact({{QStringLiteral("message-id"), QStringLiteral("3")},
                        {QStringLiteral("name"), QString(512 * 1024, QLatin1Char('x'))},
                        {QStringLiteral("volume"), 1e308}});
    case 4:
        return QString(5000, QLatin1Char('[')) + QString(5000, QLatin1Char(']'));
    case 5: {
        // A source list of 500 sources: 500 volume requests follow.
        QJsonArray sources;
        for (int i = 0; i < 500; ++i)
            sources.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("garbage %1").arg(i)}});
        return compact({{QStringLiteral("message-id"), QStringLiteral("2")},
                        {QStringLiteral("status"), QStringLiteral("ok")},
                        {QStringLiteral("sources"), sources}});
    }
    case 6:
        return QStringLiteral(R"({"op":0,"d":{"rpcVersion":"one","authentication":{"challenge":7}}})");
    case 7:
        return QStringLiteral(R"({"op":7,"d":{"requestType":"GetInputList","requestStatus":{"result":true},)"
                              R"("responseData":{"inputs":[{"inputName":null},{},7,"x"]}}})");
    case 8:
        return QStringLiteral(R"({"message-id":"99999999999999999999","status":"ok"})");
    default:
        return QStringLiteral(R"({"op":5,"d":{"eventType":"InputVolumeChanged","eventData":)"
                              R"({"inputName":"Mic/Aux","inputVolumeDb":-1e999,"inputVolumeMul":-3}}})");
    }
}

QByteArray vmixDocument(std::mt19937 &random)
{
    switch (pick(random, 9)) {
    case 0:
        return noise(random, 1 + pick(random, 20000));
    case 1: {
        const QByteArray valid
            = R"(<vmix><inputs><input key="k1" title="Camera 1" volume="100" muted="False">)"
              R"(Camera 1</input></inputs><streaming>True</streaming></vmix>)";
        return valid.left(pick(random, int(valid.size())));
    }
    case 2:
        // 50000 levels: a document tree would take minutes over it.
        return "<vmix>" + QByteArray("<a>").repeated(50000) + QByteArray("</a>").repeated(50000) + "</vmix>";
    case 3: {
        QByteArray dtd = R"(<!DOCTYPE vmix [<!ENTITY l0 "lol">)";
        for (int level = 1; level <= 9; ++level)
            dtd += "<!ENTITY l" + QByteArray::number(level) + " \""
                   + ("&l" + QByteArray::number(level - 1) + ";").repeated(10) + "\">";
        return dtd + "]><vmix><streaming>&l9;</streaming></vmix>";
    }
    case 4: {
        QByteArray document = "<vmix><inputs>";
        for (int i = 0; i < 3000; ++i)
            document += R"(<input key="g)" + QByteArray::number(i) + R"(" title="Garbage )"
                        + QByteArray::number(i) + R"(" volume="50" muted="False"/>)";
        return document + "</inputs></vmix>";
    }
    case 5:
        return "Function completed successfully.";
    case 6:
        return QByteArray();
    case 7:
        return "<vmix>" + QByteArray(R"(<master volume="NaN" muted="True"/>)").repeated(10000) + "</vmix>";
    default:
        return R"(<?xml version="1.0" encoding="UTF-16"?><vmix><streaming>True</streaming></vmix>)";
    }
}

} // namespace Garbage
