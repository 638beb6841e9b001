// Test helper: while one lives, every sampler uniform set through glUniform1i
// is written down with the texture unit active at that moment, so a test can
// tell "select the unit, bind, set its sampler" from "bind all, set all".
#pragma once

#include <string>
#include <vector>

namespace Sorva::Test {

class SamplerLog {
public:
    SamplerLog();
    ~SamplerLog();
    SamplerLog(const SamplerLog&) = delete;
    SamplerLog& operator=(const SamplerLog&) = delete;

    // One entry per call, in call order: "name=value on unit", for example
    // "iChannel1=1 on 1"; uniforms the program lacks are not listed.
    const std::vector<std::string>& entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

} // namespace Sorva::Test
