// The extended decoding pipeline (decodexebisf_) on arbitrary coded files.
#include <versos/util/coding.h>

#include <vector>

#include "fuzz/pipeline_fuzz.h"

namespace {

versos::reference::Bytes working_key(const std::string& key) {
    std::vector<char> buffer(14 * key.size());
    const int length = versos::expandeclave_(key.c_str(), buffer.data());
    FUZZ_CHECK(length > 0);
    return {buffer.begin(), buffer.begin() + length};
}

const versos::fuzz::Pipeline kPipeline{versos::codexebisf_, versos::decodexebisf_, versos::codexebis_solo_codificado,
                                       true, working_key};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return versos::fuzz::pipeline_one_input(kPipeline, data, size);
}
