#pragma once
// Shared fixtures of the widget tests.
