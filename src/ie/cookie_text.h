#pragma once
#include <functional>
#include <string>

// An Internet Explorer cookie text file: nine lines per cookie (name, value, host/path, flags,
// expiry and creation times, "*"). Randomizing scrambles every cookie's value line (lines 1,
// 10, 19, ... counted from 0, while below the line count minus one) with the keep list's
// scramble rule; every other byte, line ends included, stays as it was. random(n) answers
// 0..n-1.
std::string RandomizeCookieText(const std::string& text, const std::function<int(int)>& random);
