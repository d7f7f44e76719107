# Sourced by the scripts that run the program in a real X window (Xvfb).
#   xvfb_reenter <script> "<extra tools>" <args...>
# Checks that the tools are installed (else exits 77: skipped), makes a
# scratch folder, runs <script> again inside xvfb-run as
#   <script> --inner <args...> <folder>
# and exits with its status; the folder is removed afterwards.
xvfb_reenter() {
    script=$1
    tools=$2
    shift 2
    for tool in $tools xvfb-run xauth Xvfb; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed"
            exit 77
        fi
    done
    work=$(mktemp -d) || exit 1
    trap 'rm -rf "$work"' EXIT
    # -noreset: otherwise, when the last client leaves (a window search that
    # finishes first), the server resets and may refuse the game's connection.
    xvfb-run -a -s "-noreset -screen 0 1280x1024x24" sh "$script" --inner "$@" "$work"
    exit $?
}
