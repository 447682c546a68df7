# make run   - installs what is missing, builds the editor and starts it (ARGS="file.txt" passes the file)
# make test  - installs what is missing, builds and runs every test, in a normal and in a sanitizer build,
#              and checks the formatting
# make bench - builds and runs the benchmarks
# make fuzz  - builds the animation loader's fuzz target with clang++ and runs it FUZZ_SECONDS long

JOBS ?= $(shell nproc)
RELEASE := build/release
SANITIZE := build/sanitize
FUZZ := build/fuzz
FUZZ_SECONDS ?= 60

.PHONY: setup run test test-release test-sanitize format-check format bench fuzz

setup:
	@scripts/setup.sh

$(RELEASE)/CMakeCache.txt:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(SANITIZE)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DLIMBRADO_SANITIZE=ON

run: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS) --target limbrado
	$(RELEASE)/limbrado $(ARGS)

test: setup format-check test-release test-sanitize fuzz

test-release: $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS)
	ctest --test-dir $(RELEASE) --output-on-failure

test-sanitize: $(SANITIZE)/CMakeCache.txt
	cmake --build $(SANITIZE) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(SANITIZE) --output-on-failure

format-check:
	@files=$$(git ls-files '*.cpp' '*.h'); \
	clang-format --dry-run --Werror $$files && echo "formatting: ok"

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

bench: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS) --target benchmarks pacing_probe
	$(RELEASE)/benchmarks

$(FUZZ)/CMakeCache.txt:
	CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIMBRADO_FUZZ=ON

fuzz: setup $(FUZZ)/CMakeCache.txt
	cmake --build $(FUZZ) -j $(JOBS) --target load_animation_fuzz make_seeds
	rm -rf $(FUZZ)/seeds && mkdir -p $(FUZZ)/seeds $(FUZZ)/corpus
	$(FUZZ)/make_seeds $(FUZZ)/seeds
	$(FUZZ)/load_animation_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		$(FUZZ)/corpus $(FUZZ)/seeds
