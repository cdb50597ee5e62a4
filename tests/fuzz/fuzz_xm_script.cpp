// Fuzz target: the XM script reader on arbitrary bytes. On success the script must be
// self-consistent (sorted cells, a row index that covers each cell once) and the mixer's
// copy must differ from the file only in the effect and parameter bytes of Z cells.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sync/xm_script.h"

using namespace zuzor;

// A failed check names its line, so a crash file says which promise was broken.
#define check(condition)                                                                 \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptedModule module;
    std::string error;
    if (!readScriptedModule(data, size, module, error)) {
        check(!error.empty());
        return 0;
    }
    const SongScript& script = module.script;
    check(module.mixerCopy.size() == size);
    check(script.channels >= 1 && script.channels <= 128);
    check(script.patternRowBase.size() == script.patternRows.size());

    size_t covered = 0;
    for (size_t p = 0; p < script.patternRows.size(); ++p) {
        for (int r = 0; r < script.patternRows[p]; ++r) {
            const ScriptCell* begin = script.rowBegin(int(p), r);
            const ScriptCell* end = script.rowEnd(int(p), r);
            // Without any cell the script's storage may be null: then begin and end agree.
            check(begin == end || (begin && end && begin < end));
            check(begin >= script.cells.data() && end <= script.cells.data() + script.cells.size());
            for (const ScriptCell* cell = begin; cell != end; ++cell) {
                check(cell->pattern == p && cell->row == r && cell->channel < script.channels);
                if (cell + 1 != end) check(cell->channel < (cell + 1)->channel);
            }
            covered += size_t(end - begin);
        }
        check(!script.rowBegin(int(p), script.patternRows[p]) || script.cells.empty());
    }
    check(covered == script.cells.size());
    check(script.cells.empty() ||
          (!script.rowBegin(-1, 0) && !script.rowBegin(int(script.patternRows.size()), 0)));

    // Only bytes that were 'Z' effects or their parameters may change, and only to 0.
    size_t changed = 0;
    for (size_t i = 0; i < size; ++i) {
        if (module.mixerCopy[i] == data[i]) continue;
        check(module.mixerCopy[i] == 0);
        ++changed;
    }
    check(changed <= 2 * script.cells.size());
    return 0;
}
