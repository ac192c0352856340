# Two commands for a newcomer: `make run` and `make test`. Everything else is set up on the way.
PRESET ?= default
BUILD := build/$(PRESET)
GAME := $(BUILD)/game/skitalia

.PHONY: game run test check build deps test-deps install clean package

# The user's own prefix needs no root; installed elsewhere, the game saves in the player's
# own game folder.
PREFIX ?= $(HOME)/.local

run: game
	@$(GAME)

# Only the game and the files it loads, all that `run`, `install` and `package` use: the
# tests, the fuzzer and the measurements wait for `make test`.
game: deps
	@test -f $(BUILD)/build.ninja || cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) --target skitalia

# The whole suite, then the round under AddressSanitizer and UndefinedBehaviorSanitizer. The
# sanitizers' build goes on beside the first round's tests, which mostly wait on games, at a
# lower priority than theirs; its output is kept in build/asan/build.log and shown when it fails.
test: test-deps
	cmake --preset default
	cmake --build --preset default
	cmake --preset asan
	@nice -n 10 cmake --build --preset asan >build/asan/build.log 2>&1 & build=$$!; \
	ctest --preset default --parallel 4; tests=$$?; \
	wait $$build || { tail -n 40 build/asan/build.log; exit 1; }; exit $$tests
	ctest --preset asan --parallel 4

# One preset's round of the suite; CTEST_ARGS go to ctest. Configured again, so that a tree
# first set up by `make run` finds what the test set brought. Most end-to-end tests wait on a
# game most of the time, so four run at once on two cores.
check: test-deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)
	ctest --preset $(PRESET) --parallel 4 $(CTEST_ARGS)

build: deps
	@test -f $(BUILD)/build.ninja || cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

install: game
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, skitalia_<version>_<arch>.deb, in the build folder; cpack needs the
# packaging tools of the test set.
package: test-deps game
	cd $(BUILD) && cpack -G DEB

deps:
	@scripts/install-deps

test-deps:
	@scripts/install-deps --tests

# Saved games in a game folder are the player's, not build products, so they stay for the
# next `make run`; everything else goes.
clean:
	@test ! -d build || find build -depth \
		! \( -type f -path 'build/*/game/*' -name '*.sav' \) \( ! -type d -o -empty \) -delete
