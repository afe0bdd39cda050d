# shellcheck shell=bash
# The source tree's example station as an operator leaves it after trying
# it in place, as the README invites: a scheduled run and an archive range,
# each with every option that writes a file. A check of what an install or
# a package holds runs these first, so that it sees whether runs' outputs
# go into the install; and puts the example back as the repository holds it
# afterwards. Sourced by the checks of tests/packaging/; needs git.
#
#   run_example_outputs SOURCE_DIR PLOTMUF
#       runs PLOTMUF in SOURCE_DIR/example; status 1 when a run fails or
#       `git status` then shows a file there (one that .gitignore misses)
#   clean_example_outputs SOURCE_DIR
#       removes the files that .gitignore ignores in SOURCE_DIR/example:
#       what those runs, and any before them, left there

example_output_options=(--csv --svg --monthly --archive-page --metrics m.prom)

run_example_outputs() {
    local source_dir=$1 plotmuf=$2 shown
    (cd "$source_dir/example" &&
        "$plotmuf" --today 2024-03-03 "${example_output_options[@]}" &&
        "$plotmuf" --archive 2024-02-01 2024-03-03 "${example_output_options[@]}") >/dev/null ||
        { echo "$plotmuf in $source_dir/example: status $?" >&2; return 1; }
    shown=$(git -C "$source_dir" status --porcelain --untracked-files=all -- example)
    [ -z "$shown" ] || { echo "after runs in example/, git status shows:"$'\n'"$shown" >&2; return 1; }
}

clean_example_outputs() {
    git -C "$1" clean -fqX -- example
}
