import subprocess

def show_help(topic):
    """Opens the help at the topic of the screen the user is on, without waiting for it."""
    subprocess.Popen(["leafwick", "Manual.scv", "--topic", topic])

show_help("Saving a Topic")
