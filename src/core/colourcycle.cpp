#include "colourcycle.h"

#include "studystate.h"

namespace core {

CardColours ColourCycleTick(StudyState& state) {
    int* components[] = {&state.ColourCycle1, &state.ColourCycle2, &state.ColourCycle3};
    for (int* c : components) {
        if (*c >= 250) {
            *c = 0;
        }
    }
    const int c1 = state.ColourCycle1;
    const int c2 = state.ColourCycle2;
    const int c3 = state.ColourCycle3;
    CardColours colours{{225, c2, c3}, {255, c1, c2}, {255, c3, c1}};
    for (int* c : components) {
        *c += 25;
    }
    return colours;
}

} // namespace core
