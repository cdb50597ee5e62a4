// What SDL's audio back ends load below it may print complaints of its own to stderr when
// there is no sound card; the sound output calls this before SDL starts its audio.
// Each platform implements it in platform/<os>/.
#pragma once

namespace zuzor {

void quietHostAudioLibraries();

}  // namespace zuzor
