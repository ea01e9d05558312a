// The zero-run decoding pipeline (dcodexef_) on arbitrary coded files.
#include <versos/util/coding.h>

#include "fuzz/pipeline_fuzz.h"

namespace {

versos::reference::Bytes caller_key(const std::string& key) { return {key.begin(), key.end()}; }

const versos::fuzz::Pipeline kPipeline{versos::codexef_, versos::dcodexef_, versos::codexe_solo_codificado, false,
                                       caller_key};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return versos::fuzz::pipeline_one_input(kPipeline, data, size);
}
