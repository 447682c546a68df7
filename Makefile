# make run   - installs what is missing, builds the editor and starts it on the sample walk
#              (ARGS="file.txt" passes the user's own file instead)
# make test  - installs what is missing, checks the formatting, builds and runs every test with g++
#              and again with clang++ under the sanitizers, and fuzzes the animation loader and
#              the clip import;
#              warnings are errors in all of these builds
# make bench - builds the benchmarks, the pacing and idle probes and the tools, and runs the
#              benchmarks
# make package - builds the Debian package limbrado_VERSION_amd64.deb in the top folder
# make web   - builds the editor for the browser into build/web, a folder any static web server
#              can publish (emscripten; the desktop build rasterises its glyph table)
# make test-web - builds the page and runs its tests in headless Chromium
# make fuzz  - builds the fuzz targets of the animation loader and of the clip import with clang++
#              and runs each FUZZ_SECONDS long on every core

JOBS ?= $(shell nproc)
# Two more tests than cores run at once: the display tests spend most of their time waiting.
TEST_JOBS ?= $(shell echo $$(($(JOBS) + 2)))
RELEASE := build/release
SANITIZE := build/sanitize
FUZZ := build/fuzz
FUZZ_SECONDS ?= 30
# The real clips whose starts seed the clip import's fuzzing (scripts/setup.sh installs them).
FUZZ_CLIPS := $(wildcard /usr/share/assimp/models/BVH/*.bvh)

.PHONY: setup run package web test-web test test-release test-sanitize format-check format bench fuzz

setup:
	@scripts/setup.sh

$(RELEASE)/CMakeCache.txt:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Without ARGS the editor opens the sample walk, copied into the build folder when it is not there
# yet, so that saves and backups never touch the checked-in file nor overwrite the user's edits.
SAMPLE := $(RELEASE)/walk.txt

run: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS) --target limbrado
ifeq ($(strip $(ARGS)),)
	@[ -e $(SAMPLE) ] || cp docs/sample/walk.txt $(SAMPLE)
	$(RELEASE)/limbrado $(SAMPLE)
else
	$(RELEASE)/limbrado $(ARGS)
endif

# The release build, packed by CPack; dpkg-shlibdeps finds the libraries it needs.
package: setup
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(RELEASE) -j $(JOBS) --target limbrado compressed_documents translations
	cd $(RELEASE) && cpack -G DEB -B $(CURDIR)/$(RELEASE)/packages
	cp $(RELEASE)/packages/limbrado_*_amd64.deb .

test: setup format-check test-release test-sanitize test-web fuzz

# Each test build is configured anew, so that warnings are errors there and the benchmarks stay out
# whatever the cache says. The builds run one after the other, each on every core; their tests run
# side by side.
test-release:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIMBRADO_WERROR=ON \
		-DLIMBRADO_BENCHMARKS=OFF
	cmake --build $(RELEASE) -j $(JOBS)
	ctest --test-dir $(RELEASE) --output-on-failure -j $(TEST_JOBS)

# Leaks are reported, except the one-time allocations of the system libraries named in the
# suppressions file; matching those needs full allocation stacks (fast_unwind_on_malloc=0).
# Built with clang++, so that the other compiler's warnings are errors too.
test-sanitize:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
		-DLIMBRADO_SANITIZE=ON -DLIMBRADO_WERROR=ON -DLIMBRADO_BENCHMARKS=OFF
	cmake --build $(SANITIZE) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/leak_suppressions.txt:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(SANITIZE) --output-on-failure -j $(TEST_JOBS)

format-check:
	@files=$$(git ls-files '*.cpp' '*.h'); \
	clang-format --dry-run --Werror $$files && echo "formatting: ok"

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

bench: setup
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIMBRADO_BENCHMARKS=ON
	cmake --build $(RELEASE) -j $(JOBS) --target benchmarks pacing_probe idle_probe make_sample
	$(RELEASE)/benchmarks

$(FUZZ)/CMakeCache.txt:
	CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIMBRADO_FUZZ=ON

fuzz: setup $(FUZZ)/CMakeCache.txt
	cmake --build $(FUZZ) -j $(JOBS) --target load_animation_fuzz clip_import_fuzz make_seeds
	@[ -n "$(FUZZ_CLIPS)" ] || { echo "no clips in /usr/share/assimp/models/BVH"; exit 1; }
	rm -rf $(FUZZ)/seeds $(FUZZ)/clip_seeds
	mkdir -p $(FUZZ)/seeds $(FUZZ)/corpus $(FUZZ)/clip_seeds $(FUZZ)/clip_corpus
	$(FUZZ)/make_seeds $(FUZZ)/seeds $(FUZZ)/clip_seeds $(FUZZ_CLIPS)
	$(FUZZ)/load_animation_fuzz -fork=$(JOBS) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		$(FUZZ)/corpus $(FUZZ)/seeds
	$(FUZZ)/clip_import_fuzz -fork=$(JOBS) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		$(FUZZ)/clip_corpus $(FUZZ)/clip_seeds

# The browser build: the glyph table rasterised by the desktop build, then the program compiled by
# emscripten (whose tools need Debian's JavaScript modules) and put together with the page.
WEB := build/web
WEB_BUILD := build/web-build
EMSCRIPTEN_ENV := NODE_PATH=/usr/share/nodejs

web: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS) --target make_glyph_table web_test_files
	@mkdir -p $(WEB_BUILD)
	$(RELEASE)/make_glyph_table $(WEB_BUILD)/glyph_table.cpp Arial:11
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release \
		-DLIMBRADO_WERROR=ON -DLIMBRADO_GLYPH_TABLE=$(CURDIR)/$(WEB_BUILD)/glyph_table.cpp \
		-DLIMBRADO_WEB_OUTPUT=$(CURDIR)/$(WEB) > /dev/null
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

test-web: web
	cd tests/browser && npm ci --no-audit --no-fund --silent
	LIMBRADO_WEB=$(CURDIR)/$(WEB) LIMBRADO_TEST_FILES=$(CURDIR)/$(RELEASE)/web_test_files \
		node --test tests/browser/web_editor.test.mjs tests/browser/web_language.test.mjs
