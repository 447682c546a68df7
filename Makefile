# make run   - installs what is missing, builds the editor and starts it (ARGS="file.txt" passes the file)
# make test  - installs what is missing, builds and runs every test, in a normal and in a sanitizer build,
#              checks the formatting and builds the Release configuration with clang++ as well;
#              warnings are errors in all of these builds
# make bench - builds and runs the benchmarks

JOBS ?= $(shell nproc)
RELEASE := build/release
SANITIZE := build/sanitize
CLANG_RELEASE := build/clang-release

.PHONY: setup run test test-release test-sanitize test-clang format-check format bench

setup:
	@scripts/setup.sh

$(RELEASE)/CMakeCache.txt:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(SANITIZE)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DLIMBRADO_SANITIZE=ON

run: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS) --target limbrado
	$(RELEASE)/limbrado $(ARGS)

test: setup format-check test-release test-sanitize test-clang

# Each test build is configured anew, so that warnings are errors there whatever the cache says.
test-release:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIMBRADO_WERROR=ON
	cmake --build $(RELEASE) -j $(JOBS)
	ctest --test-dir $(RELEASE) --output-on-failure

# Leaks are reported, except the one-time allocations of the system libraries named in the
# suppressions file; matching those needs full allocation stacks (fast_unwind_on_malloc=0).
test-sanitize:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DLIMBRADO_SANITIZE=ON -DLIMBRADO_WERROR=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/leak_suppressions.txt:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(SANITIZE) --output-on-failure

# The optimised build with the other compiler, and its display-free tests.
test-clang:
	cmake -S . -B $(CLANG_RELEASE) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
		-DLIMBRADO_WERROR=ON
	cmake --build $(CLANG_RELEASE) -j $(JOBS)
	ctest --test-dir $(CLANG_RELEASE) --output-on-failure --label-exclude display

format-check:
	@files=$$(git ls-files '*.cpp' '*.h'); \
	clang-format --dry-run --Werror $$files && echo "formatting: ok"

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

bench: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS) --target benchmarks pacing_probe
	$(RELEASE)/benchmarks
