#pragma once

// The program's web address: where users get the program, its files and help. Printed on
// listings and written at the head of the signal log.
inline constexpr const char* kProgramWebAddress = "https://kovela.example.org";

// The page under the web address that shows the latest released version.
inline constexpr const char* kVersionCheckPath = "/version";
