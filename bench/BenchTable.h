#pragma once
// One figure of the benchmark table: what was measured, its floor measured
// in the same run, and the goal for their ratio.
#include <string>
#include <vector>

namespace voicememo::bench {

struct Figure {
    std::string what;
    double measured = 0;  // in unit
    double floor = 0;     // in unit
    std::string unit;
    double goal = 0;        // the largest ratio measured / floor that meets it; 0: none, the ratio is told
    std::string floorWhat;  // what the floor is, when it is not the obvious
    double ratio = 0;       // when set, the ratio told instead of measured / floor
};

void RegisterCatalogueBenchmarks();
// Forks the small process that starts the dialog probes; call it before
// anything big is allocated.
void StartProbeSpawner();
// Runs the dialog probes; figures for start-up time, memory and Add unused.
std::vector<Figure> RunDialogBenchmarks(int runs);

}  // namespace voicememo::bench
