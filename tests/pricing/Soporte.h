#pragma once
// Helpers shared by the pricing tests.

#include "pricing/AjustesPrecios.h"
#include "platform/Currency.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

inline Currency C(const char *texto) { return Currency::fromString(std::string(texto)); }

// Registers a provider that returns `ajustes` as it is at each call.
class ConAjustes : public ::testing::Test {
protected:
    AjustesPrecios ajustes;
    void SetUp() override { EstablecerProveedorAjustes([this] { return ajustes; }); }
    void TearDown() override { EstablecerProveedorAjustes(nullptr); }
};
