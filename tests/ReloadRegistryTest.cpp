// The reload registry without GL: each registered object reloads once per
// call, in address order, and only while registered.
#include "gl/ReloadRegistry.h"

#include <gtest/gtest.h>

#include <vector>

using Sorva::Reloadable;
using Sorva::ReloadRegistry;

namespace {

struct Recorder : Reloadable {
    explicit Recorder(std::vector<const Recorder*>& log) : log(log) {}
    void reload() override { log.push_back(this); }
    std::vector<const Recorder*>& log;
};

} // namespace

TEST(ReloadRegistry, ReloadsEachRegisteredObjectOnceInAddressOrder) {
    std::vector<const Recorder*> log;
    Recorder objects[3] = {Recorder(log), Recorder(log), Recorder(log)};
    ReloadRegistry& registry = ReloadRegistry::instance();

    registry.reloadAll();
    EXPECT_TRUE(log.empty()) << "nothing registered yet";

    const struct {
        const char* step;
        std::vector<int> add;
        std::vector<int> remove;
        std::vector<int> reloaded;
    } rows[] = {
        {"added out of order", {2, 0}, {}, {0, 2}},
        {"added twice", {1, 1, 2}, {}, {0, 1, 2}},
        {"one removed", {}, {1}, {0, 2}},
        {"removed twice", {}, {1}, {0, 2}},
        {"all removed", {}, {0, 2}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        for (int i : row.add)
            registry.add(&objects[i]);
        for (int i : row.remove)
            registry.remove(&objects[i]);
        log.clear();
        registry.reloadAll();
        std::vector<const Recorder*> expected;
        for (int i : row.reloaded)
            expected.push_back(&objects[i]);
        EXPECT_EQ(log, expected);
    }
}
