#pragma once
#include "failure.h"

namespace core {

/// A failure of domain D, checked when the program is compiled: the domain constructors of
/// Status take it, so that a failure of another domain, and a Status with fields that do not
/// belong to it, cannot be written.
template <Domain D> class DomainFailure {
public:
    /// From a failure known at compile time only: one of another domain stops the compilation
    /// at the call.
    consteval DomainFailure(Failure what) : what_(what) {
        if (DomainOf(what) != D) {
            // Reaching this makes the call no constant expression, which is the error the
            // compiler reports for the call site.
            throw "a failure of another domain";
        }
    }

    constexpr Failure What() const { return what_; }
    constexpr operator Failure() const { return what_; }

private:
    Failure what_;
};

using FileFailure = DomainFailure<Domain::File>;
using SoundFailure = DomainFailure<Domain::Sound>;
using FontFailure = DomainFailure<Domain::Font>;
using NameFailure = DomainFailure<Domain::Name>;
using BankFailure = DomainFailure<Domain::Bank>;
using ImportFailure = DomainFailure<Domain::Import>;
using LookupFailure = DomainFailure<Domain::Lookup>;

} // namespace core
