#include "cInteractionGate.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct GateCase {
    const char *name;
    const char *steps; // b begin, e end, m menu request, c command asked
    const char *log;   // what the gate answered and raised, in order
};

// Runs the steps on a fresh gate and records its answers and signals.
QString run(const char *steps)
{
    cInteractionGate gate;
    QStringList log;
    QObject::connect(&gate, &cInteractionGate::BusyChanged, [&](bool busy) { log << (busy ? "busy" : "idle"); });
    QObject::connect(&gate, &cInteractionGate::MenuDue, [&] { log << "due"; });
    for (const char *s = steps; *s != '\0'; ++s) {
        switch (*s) {
        case 'b': gate.Begin(); break;
        case 'e': gate.End(); break;
        case 'm': log << (gate.RequestMenu() ? "menu" : "waits"); break;
        case 'c': log << (gate.AcceptsCommand() ? "accepted" : "refused"); break;
        }
    }
    return log.join(u' ');
}

class InteractionGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(InteractionGate, AnswersAndSignals)
{
    EXPECT_EQ(run(GetParam().steps), QString::fromUtf8(GetParam().log));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, InteractionGate,
    ::testing::Values(GateCase{"IdleOpensTheMenuAndTakesCommands", "mc", "menu accepted"},
                      GateCase{"HeldRefusesCommandsUntilTheEnd", "bcec", "busy refused idle accepted"},
                      GateCase{"MenuRequestWaitsForTheEnd", "bme", "busy waits idle due"},
                      GateCase{"ManyRequestsOneMenuOnce", "bmmebe", "busy waits waits idle due busy idle"},
                      GateCase{"NestedHoldsEndWithTheLast", "bbmece", "busy waits refused idle due"},
                      GateCase{"NoMenuDueWithoutARequest", "bebe", "busy idle busy idle"},
                      GateCase{"AnEndWithoutABeginIsIgnored", "ebme", "busy waits idle due"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
