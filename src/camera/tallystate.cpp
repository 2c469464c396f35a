#include "tallystate.h"

QString tallyStateName(TallyState state)
{
    switch (state) {
    case TallyState::Program:
        return QStringLiteral("program");
    case TallyState::Preview:
        return QStringLiteral("preview");
    case TallyState::Off:
        break;
    }
    return QStringLiteral("off");
}
