// The failure list and the domain constructors made from it: every failure listed once, and
// each constructor taking the failures of its own domain and refusing, at compile time, the rest.
#include "core/status.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace {

using core::Domain;
using core::Failure;

constexpr std::size_t FailureCount = std::size(core::AllFailures);

/// Whether DomainFailure<D> can be made from F: a refused failure is no constant expression,
/// which makes the requirement unmet instead of stopping the compilation.
template <Domain D, Failure F>
concept Takes = requires {
    typename std::integral_constant<int, (core::DomainFailure<D>(F), 0)>;
};

static_assert(Takes<Domain::File, Failure::Open>);
static_assert(!Takes<Domain::File, Failure::SoundOpen>);

/// For each failure in AllFailures: whether the constructor of domain D takes it.
template <Domain D> constexpr std::array<bool, FailureCount> TakenBy() {
    return []<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<bool, FailureCount>{Takes<D, core::AllFailures[I]>...};
    }
    (std::make_index_sequence<FailureCount>{});
}

TEST(FailureList, HoldsEveryFailureOnceInItsOrderWithItsName) {
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < FailureCount; ++i) {
        const Failure failure = core::AllFailures[i];
        EXPECT_EQ(static_cast<std::size_t>(failure), i);
        EXPECT_NE(core::FailureName(failure), "?");
        EXPECT_TRUE(names.insert(core::FailureName(failure)).second) << core::FailureName(failure);
    }
    EXPECT_EQ(core::DomainOf(Failure::None), Domain::None);
}

TEST(DomainConstructors, EachTakesTheFailuresOfItsOwnDomainOnly) {
    struct Row {
        Domain domain;
        std::array<bool, FailureCount> taken;
    };
    const Row rows[] = {
        {Domain::File, TakenBy<Domain::File>()},     {Domain::Sound, TakenBy<Domain::Sound>()},
        {Domain::Font, TakenBy<Domain::Font>()},     {Domain::Name, TakenBy<Domain::Name>()},
        {Domain::Bank, TakenBy<Domain::Bank>()},     {Domain::Import, TakenBy<Domain::Import>()},
        {Domain::Lookup, TakenBy<Domain::Lookup>()},
    };
    std::set<Failure> takenSomewhere;
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < FailureCount; ++i) {
            const Failure failure = core::AllFailures[i];
            EXPECT_EQ(row.taken[i], core::DomainOf(failure) == row.domain)
                << core::FailureName(failure) << " in domain " << static_cast<int>(row.domain);
            if (row.taken[i]) {
                takenSomewhere.insert(failure);
            }
        }
    }
    // Every failure but None can be written through one of them.
    EXPECT_EQ(takenSomewhere.size(), FailureCount - 1);
    EXPECT_EQ(takenSomewhere.count(Failure::None), 0U);
}

} // namespace
