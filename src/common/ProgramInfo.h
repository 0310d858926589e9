#pragma once

// The program's web address: where users get the program, its files and help. Printed on
// listings and written at the head of the signal log.
inline constexpr const char* kProgramWebAddress = "https://kovela.example.org";
