# Two commands for a newcomer: `make run` and `make test`. Everything else is set up on the way.
PRESET ?= default
BUILD := build/$(PRESET)
GAME := $(BUILD)/game/skitalia

.PHONY: run test build deps install clean

# The game folder must stay writable for saved games, so it goes to the user's own prefix.
PREFIX ?= $(HOME)/.local

run: build
	@$(GAME)

# The whole suite, then once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	ctest --preset $(PRESET) --parallel 2
ifeq ($(PRESET),default)
	$(MAKE) --no-print-directory test PRESET=asan
endif

build: deps
	@test -f $(BUILD)/build.ninja || cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deps:
	@scripts/install-deps

clean:
	rm -rf build
