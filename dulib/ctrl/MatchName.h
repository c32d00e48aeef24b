#pragma once
// Case-sensitive wildcard match of control names: '*' matches any run of
// characters (also none), '?' one character or none.
bool MatchName(const wchar_t* pattern, const wchar_t* name);
