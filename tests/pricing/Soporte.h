#pragma once
// Helpers shared by the pricing tests.

#include "pricing/AjustesPrecios.h"
#include "platform/Currency.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

inline Currency C(const char *texto) { return Currency::fromString(std::string(texto)); }

// The store settings a test passes to the price functions.
class ConAjustes : public ::testing::Test {
protected:
    AjustesPrecios ajustes;
};
