#pragma once
// Brazilian tax documents, digits only: the CPF of a person (9 digits and 2
// check digits) and the CNPJ of a company (8 digits of the company, 4 of the
// establishment, 2 check digits). Check digits follow the Receita Federal's
// modulus-11 rule.

#include <string>
#include <string_view>

namespace ped::server::demo {

// True for 11 digits whose check digits match; a run of one repeated digit
// ("11111111111") is refused, as the Receita Federal never issues one.
bool isValidCpf(std::string_view digits);
// True for 14 digits whose check digits match, not all the same digit.
bool isValidCnpj(std::string_view digits);

// The base followed by its two check digits.
// REQUIRES: 9 digits (CPF) or 12 digits (CNPJ).
std::string completeCpf(std::string_view base);
std::string completeCnpj(std::string_view base);

}  // namespace ped::server::demo
