# Quick start: `make run` starts the program, `make test` runs the whole suite.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
# CI sets WERROR=ON: a warning fails its build, never a user's `make run`.
WERROR     ?= OFF

.PHONY: deps build run test test-asan bench package format clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJADL_WERROR=$(WERROR)
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/jadlonia

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer (benchmarks left out).
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DJADL_SANITIZE=ON -DJADL_BENCH=OFF -DJADL_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	bash bench/run.sh $(BUILD)

# The Debian package (build/jadlonia_<version>_<arch>.deb), checked as CI checks it.
package: build
	rm -f $(BUILD)/jadlonia_*.deb
	cd $(BUILD) && cpack -G DEB
	bash scripts/check-package.sh $(BUILD)/jadlonia_*.deb

# Formats every source file in the project's style (.clang-format); CI checks it.
format: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
