#pragma once

#include <QMetaMethod>
#include <QObject>
#include <QStringList>

// Records every signal of one object, in the order raised, as "name(arguments)", e.g. "callPreset(3)".
class SignalLog : public QObject
{
    Q_OBJECT

public:
    explicit SignalLog(QObject *source, QObject *parent = nullptr) : QObject(parent)
    {
        const QMetaObject *mo = source->metaObject();
        const QMetaObject *self = metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod signal = mo->method(i);
            if (signal.methodType() != QMetaMethod::Signal)
                continue;
            QByteArray slot = "record()";
            if (signal.parameterCount() == 1 && signal.parameterType(0) == QMetaType::Int)
                slot = "recordInt(int)";
            else if (signal.parameterCount() == 1 && signal.parameterType(0) == QMetaType::Bool)
                slot = "recordBool(bool)";
            else if (signal.parameterCount() == 1 && signal.parameterType(0) == QMetaType::QString)
                slot = "recordString(QString)";
            else if (signal.parameterCount() != 0)
                qFatal("SignalLog: no recorder for %s", signal.methodSignature().constData());
            connect(source, signal, this, self->method(self->indexOfSlot(slot.constData())));
        }
    }

    QStringList entries;

private Q_SLOTS:
    void record() { entries.append(signalName() + QStringLiteral("()")); }
    void recordInt(int value) { entries.append(signalName() + QStringLiteral("(%1)").arg(value)); }
    void recordString(const QString &value)
    {
        entries.append(signalName() + QStringLiteral("(%1)").arg(value));
    }
    void recordBool(bool value)
    {
        entries.append(signalName() + (value ? QStringLiteral("(true)") : QStringLiteral("(false)")));
    }

private:
    QString signalName() const
    {
        return QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name());
    }
};
